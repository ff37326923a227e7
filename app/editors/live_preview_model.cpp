#include "app/editors/live_preview_model.h"

#include <algorithm>
#include <utility>

#include "app/editors/vibes_editor_model.h"
#include "core/config/vibe_config.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/status_text.h"
#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/whitespace.h"

namespace nimbrel {

std::string LivePreviewModel::matchedOn(std::string_view hit) {
    return "Matched on \u201C" + std::string(hit) + "\u201D \u2014 the first group in your list to match this track.";
}

std::string LivePreviewModel::themeLine(std::string_view themeName, bool isOverride) {
    return "Theme: " + std::string(themeName) + (isOverride ? " \u2014 set on this vibe." : " \u2014 your default.");
}

std::string LivePreviewModel::addToSelected(std::string_view genre) {
    return "Add \u201C" + std::string(genre) + "\u201D to the selected vibe";
}

std::string LivePreviewModel::lengthCounter(int count) {
    return std::to_string(count) + "/" + std::to_string(StatusText::slackLimit) + " characters";
}

LivePreviewModel::LivePreviewModel(VibesEditorModel& editor, QObject* parent)
    : QObject(parent)
    , m_editor(editor) {
    connect(&m_editor, &VibesEditorModel::changed, this, &LivePreviewModel::recompute);
    recompute();
}

void LivePreviewModel::setPlaying(Playing playing) {
    if (playing == m_playing) {
        return;
    }
    m_playing = std::move(playing);
    recompute();
}

void LivePreviewModel::setWorkspaceEmoji(SlackEmoji::Workspace emoji) {
    if (emoji == m_workspaceEmoji) {
        return;
    }
    m_workspaceEmoji = std::move(emoji);
    Q_EMIT changed();
}

void LivePreviewModel::setSelectedVibe(std::optional<QUuid> id) {
    m_selected = id;
    recompute();
}

std::optional<QUuid> LivePreviewModel::selectedVibe() const {
    if (m_selected && m_editor.vibe(*m_selected) != nullptr) {
        return m_selected;
    }
    return std::nullopt;
}

void LivePreviewModel::refresh() {
    recompute();
}

void LivePreviewModel::recompute() {
    bool hasDefaultVibe = false;
    PreviewResult result = computeResult(hasDefaultVibe);
    std::vector<GenreChip> chips = computeChips(result.genres);
    if (result == m_result && chips == m_chips && hasDefaultVibe == m_hasDefaultVibe) {
        return;
    }
    m_result = std::move(result);
    m_chips = std::move(chips);
    m_hasDefaultVibe = hasDefaultVibe;
    Q_EMIT changed();
}

PreviewResult LivePreviewModel::computeResult(bool& hasDefaultVibe) const {
    if (m_playing.artist.empty()) {
        return {};
    }
    PreviewResult result;
    result.artist = m_playing.artist;
    result.track = m_playing.track;
    result.genres = m_playing.genres;
    const std::optional<VibeConfig> config = m_editor.previewConfiguration();
    if (!config) {
        return result;
    }
    hasDefaultVibe = config->defaultVibe.has_value();
    const std::optional<VibeResolution> resolution = VibeEngine::resolve(*config, result.genres, result.artist);
    if (!resolution) {
        return result;
    }
    const Vibe& vibe = resolution->vibe;
    result.vibeName = vibe.name;
    result.hit = resolution->hit;
    result.status = StatusText::render(*config, vibe, result.artist, result.track);
    result.emoji = vibe.statusEmoji;
    result.themeName = config->resolvedTheme(vibe).name;
    // An override naming a theme that is gone falls back to the default theme, so it is not "set on this vibe".
    result.themeIsOverride = vibe.themeID && config->theme(*vibe.themeID).has_value();
    return result;
}

std::vector<GenreChip> LivePreviewModel::computeChips(const std::vector<std::string>& genres) const {
    const std::optional<QUuid> selected = selectedVibe();
    std::vector<std::string> keywords;
    if (selected) {
        for (const std::string& keyword : m_editor.vibe(*selected)->vibe.match) {
            keywords.push_back(Casing::lowercased(keyword));
        }
    }
    std::vector<GenreChip> chips;
    chips.reserve(genres.size());
    for (const std::string& genre : genres) {
        GenreChip chip;
        chip.text = genre;
        chip.isAddable = selected.has_value();
        chip.isMapped = std::find(keywords.begin(), keywords.end(), Casing::lowercased(genre)) != keywords.end();
        if (chip.isMapped) {
            chip.toolTip = kAlreadyMapped;
        } else if (chip.isAddable) {
            chip.toolTip = addToSelected(genre);
        } else {
            chip.toolTip = genre;
        }
        chips.push_back(std::move(chip));
    }
    return chips;
}

std::optional<QUuid> LivePreviewModel::matchedVibe() const {
    if (!m_result.hit) {
        return std::nullopt;
    }
    for (const IdentifiedVibe& each : m_editor.vibes()) {
        if (Whitespace::trimmed(each.vibe.name) == m_result.vibeName) {
            return each.id;
        }
    }
    return std::nullopt;
}

std::string LivePreviewModel::statusShown() const {
    return m_result.status.empty() ? std::string(kNoVibeMatch) : m_result.status;
}

std::string LivePreviewModel::emojiShown() const {
    return SlackEmoji::display(m_result.emoji);
}

bool LivePreviewModel::emojiIsGlyph() const {
    return SlackEmoji::menuBarGlyph(m_result.emoji).has_value();
}

std::string LivePreviewModel::emojiToolTip() const {
    const std::string name = SlackEmoji::normalize(m_result.emoji);
    if (!SlackEmoji::glyph(name) && m_workspaceEmoji.contains(name)) {
        return m_result.emoji + " \u2014 " + std::string(kCustomEmoji);
    }
    return m_result.emoji;
}

int LivePreviewModel::statusLength() const {
    return static_cast<int>(Graphemes::count(m_result.status));
}

bool LivePreviewModel::isOverLimit() const {
    return statusLength() > StatusText::slackLimit;
}

std::string LivePreviewModel::whyText() const {
    if (m_result.hit) {
        return matchedOn(*m_result.hit);
    }
    return std::string(m_result.vibeName.empty() ? kNoVibeAtAll : kDefaultVibeUsed);
}

std::string LivePreviewModel::themeText() const {
    if (m_result.vibeName.empty()) {
        return {};
    }
    return themeLine(m_result.themeName, m_result.themeIsOverride);
}

std::string LivePreviewModel::noGenresText() const {
    return std::string(kNoGenres) + (m_hasDefaultVibe ? std::string(kDefaultVibeCovers) : std::string());
}

std::string LivePreviewModel::genresCaption() const {
    return selectedVibe() && !m_result.genres.empty() ? std::string(kClickToAdd) : std::string();
}

bool LivePreviewModel::activateChip(std::string_view genre) {
    const auto chip =
        std::find_if(m_chips.begin(), m_chips.end(), [genre](const GenreChip& each) { return each.text == genre; });
    if (chip == m_chips.end() || !chip->isAddable || chip->isMapped) {
        return false;
    }
    // Mapping changes the editor, which recomputes the chips under our feet: keep the genre by value.
    const std::string text = chip->text;
    m_editor.mapGenre(text, selectedVibe());
    return true;
}

} // namespace nimbrel
