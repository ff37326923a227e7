#include "app/editors/engine_config_holder.h"

#include <utility>

#include "app/engine/engine_view_model.h"

namespace nimbrel {

EngineConfigHolder::EngineConfigHolder(EngineViewModel& engine)
    : m_engine(engine) {}

const VibeConfig& EngineConfigHolder::config() const {
    return m_engine.config();
}

void EngineConfigHolder::applyConfig(VibeConfig config, bool runNow) {
    m_engine.applyConfig(std::move(config), runNow);
}

} // namespace nimbrel
