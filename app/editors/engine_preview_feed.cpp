#include "app/editors/engine_preview_feed.h"

#include "app/editors/live_preview_model.h"
#include "app/engine/engine_view_model.h"

namespace nimbrel {
namespace {

void takeTrack(const EngineViewModel& engine, LivePreviewModel& preview) {
    const EngineViewModel::Preview& now = engine.preview();
    preview.setPlaying({.artist = now.artist, .track = now.track, .genres = now.genres});
}

void takeEmoji(const EngineViewModel& engine, LivePreviewModel& preview) {
    const std::map<std::string, std::string>& emoji = engine.workspaceEmoji();
    preview.setWorkspaceEmoji(SlackEmoji::Workspace(emoji.begin(), emoji.end()));
}

} // namespace

void feedLivePreview(const EngineViewModel& engine, LivePreviewModel& preview) {
    // The preview is the context object: its connections end with it.
    QObject::connect(&engine, &EngineViewModel::previewChanged, &preview,
                     [&engine, &preview] { takeTrack(engine, preview); });
    QObject::connect(&engine, &EngineViewModel::workspaceEmojiChanged, &preview,
                     [&engine, &preview] { takeEmoji(engine, preview); });
    QObject::connect(&engine, &EngineViewModel::configChanged, &preview, &LivePreviewModel::refresh);
    takeTrack(engine, preview);
    takeEmoji(engine, preview);
}

} // namespace nimbrel
