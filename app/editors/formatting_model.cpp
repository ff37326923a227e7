#include "app/editors/formatting_model.h"

#include <algorithm>
#include <utility>

#include "app/editors/live_preview_model.h"
#include "app/editors/sample_track.h"
#include "app/editors/vibes_editor_model.h"
#include "core/config/vibe_config.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

/// The editor's previewed configuration. Without a holder (the engine is gone) the editor's fields on the
/// defaults, so the screen still shows what its fields do.
VibeConfig previewedConfig(const VibesEditorModel& editor) {
    if (std::optional<VibeConfig> config = editor.previewConfiguration()) {
        return std::move(*config);
    }
    VibeConfig config;
    config.statusFormat = editor.statusFormat();
    config.themeID = editor.themeID();
    config.customThemes = editor.customThemes();
    for (const IdentifiedVibe& each : editor.vibes()) {
        config.vibes.push_back(each.vibe);
    }
    if (editor.useDefaultVibe()) {
        config.defaultVibe = editor.defaultVibe();
    }
    return config;
}

} // namespace

std::string FormattingModel::templateHelp() {
    return std::string(kHelpLead) + std::string(kHelpTrimmed) + std::to_string(StatusText::slackLimit) +
           std::string(kHelpLimitUnit) + std::string(kHelpTail);
}

FormattingModel::FormattingModel(const VibesEditorModel& editor)
    : m_editor(editor) {}

void FormattingModel::setPlaying(std::string artist, std::string track, std::vector<std::string> genres) {
    m_artist = std::move(artist);
    m_track = std::move(track);
    m_genres = std::move(genres);
}

std::vector<StatusTheme> FormattingModel::themes() const {
    return m_editor.allThemes();
}

std::optional<std::size_t> FormattingModel::themeIndex() const {
    const std::vector<StatusTheme> all = themes();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [this](const StatusTheme& theme) { return theme.id == m_editor.themeID(); });
    if (found == all.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - all.begin());
}

bool FormattingModel::themeHasOwnTemplate() const {
    const std::optional<std::size_t> index = themeIndex();
    return index && themes().at(*index).templateText.has_value();
}

Vibe FormattingModel::sampleVibe(const VibeConfig& config, std::string_view artist) const {
    const std::vector<std::string> genres = isPlaying() ? m_genres : std::vector<std::string>{};
    if (std::optional<VibeResolution> resolution = VibeEngine::resolve(config, genres, artist)) {
        return std::move(resolution->vibe);
    }
    if (!config.vibes.empty()) {
        return config.vibes.front();
    }
    // No vibe at all: the default vibe's contents, which the editor keeps even while it is switched off.
    return m_editor.defaultVibe();
}

std::string FormattingModel::sample() const {
    const VibeConfig config = previewedConfig(m_editor);
    const std::string_view artist = isPlaying() ? std::string_view(m_artist) : SampleTrack::kArtist;
    const std::string_view track = isPlaying() ? std::string_view(m_track) : SampleTrack::kTitle;
    return StatusText::render(config, sampleVibe(config, artist), artist, track);
}

std::string_view FormattingModel::sampleCaption() const {
    return isPlaying() ? kAgainstPlaying : kAgainstSample;
}

int FormattingModel::sampleLength() const {
    return static_cast<int>(Graphemes::count(sample()));
}

std::string FormattingModel::sampleCounter() const {
    return LivePreviewModel::lengthCounter(sampleLength());
}

} // namespace nimbrel
