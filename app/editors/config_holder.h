#pragma once

#include "core/config/vibe_config.h"

namespace nimbrel {

/// What the editors edit: the configuration in force and the way to replace it. The engine implements it;
/// the editors hold it without owning it.
class ConfigHolder {
public:
    virtual ~ConfigHolder() = default;
    /// The configuration in force.
    virtual const VibeConfig& config() const = 0;
    /// Makes `config` the configuration in force and saves it; with `runNow`, the status is brought up to
    /// date at once.
    virtual void applyConfig(VibeConfig config, bool runNow) = 0;
};

} // namespace nimbrel
