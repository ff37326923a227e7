#pragma once

namespace nimbrel {

class EngineViewModel;
class LivePreviewModel;

/// Keeps the preview fed from the engine for as long as both live: the track being resolved and its genres,
/// the workspaces' custom emoji, and every change of the configuration in force.
void feedLivePreview(const EngineViewModel& engine, LivePreviewModel& preview);

} // namespace nimbrel
