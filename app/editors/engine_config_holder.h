#pragma once

#include "app/editors/config_holder.h"

namespace nimbrel {

class EngineViewModel;

/// The engine as the editors see it: its configuration in force, replaced (and saved) through `applyConfig`.
class EngineConfigHolder final : public ConfigHolder {
public:
    /// `engine` must outlive the holder.
    explicit EngineConfigHolder(EngineViewModel& engine);

    const VibeConfig& config() const override;
    void applyConfig(VibeConfig config, bool runNow) override;

private:
    EngineViewModel& m_engine;
};

} // namespace nimbrel
