#include "app/editors/genre_map_model.h"

#include <algorithm>
#include <set>
#include <utility>

#include "app/editors/vibes_editor_model.h"
#include "core/config/vibe_config.h"
#include "core/genres/itunes_genres.h"
#include "core/matching/vibe_engine.h"
#include "core/text/casing.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

bool hasKeyword(const Vibe& vibe, const std::string& loweredGenre) {
    return std::ranges::any_of(vibe.match,
                               [&](const std::string& keyword) { return Casing::lowercased(keyword) == loweredGenre; });
}

} // namespace

std::string GenreMapModel::fallingThrough(std::string_view defaultVibeName) {
    return "falling through to \u201C" + std::string(defaultVibeName) + "\u201D";
}

std::string GenreMapModel::shadowed(std::string_view keywordVibe, std::string_view winner,
                                    std::string_view winningKeyword) {
    return "\u201C" + std::string(keywordVibe) + "\u201D has this keyword, but \u201C" + std::string(winner) +
           "\u201D matches \u201C" + std::string(winningKeyword) + "\u201D first \u2014 it sits higher in the list.";
}

std::string GenreMapModel::countText(std::size_t shown, std::size_t total, bool narrowed) {
    const std::string noun = total == 1 ? " genre" : " genres";
    if (narrowed) {
        return std::to_string(shown) + " of " + std::to_string(total) + noun;
    }
    return std::to_string(total) + noun;
}

std::string GenreMapModel::noMatch(std::string_view filter) {
    return "No genre matches \u201C" + std::string(filter) + "\u201D.";
}

std::string GenreMapModel::assignName(std::string_view genre) {
    return "Assign \u201C" + std::string(genre) + "\u201D to a vibe";
}

GenreMapModel::GenreMapModel(VibesEditorModel& editor, QObject* parent)
    : QObject(parent)
    , m_editor(editor) {
    connect(&m_editor, &VibesEditorModel::changed, this, &GenreMapModel::recompute);
    recompute();
}

void GenreMapModel::setObservedGenres(std::vector<std::string> genres) {
    if (genres == m_observed) {
        return;
    }
    m_observed = std::move(genres);
    recompute();
}

void GenreMapModel::setFilter(std::string filter) {
    if (filter == m_filter) {
        return;
    }
    m_filter = std::move(filter);
    Q_EMIT changed();
}

void GenreMapModel::setUnmappedOnly(bool on) {
    if (on == m_unmappedOnly) {
        return;
    }
    m_unmappedOnly = on;
    Q_EMIT changed();
}

bool GenreMapModel::isShown(const Row& row) const {
    if (m_unmappedOnly && row.mapped) {
        return false;
    }
    const std::string_view filter = Whitespace::trimmed(m_filter);
    return filter.empty() || Casing::lowercased(row.genre).find(Casing::lowercased(filter)) != std::string::npos;
}

std::vector<const GenreMapModel::Row*> GenreMapModel::shownRows() const {
    std::vector<const Row*> shown;
    for (const Row& row : m_rows) {
        if (isShown(row)) {
            shown.push_back(&row);
        }
    }
    return shown;
}

std::string GenreMapModel::countText() const {
    const bool narrowed = m_unmappedOnly || !Whitespace::trimmed(m_filter).empty();
    return countText(shownRows().size(), m_rows.size(), narrowed);
}

std::string GenreMapModel::emptyText() const {
    if (!shownRows().empty()) {
        return {};
    }
    const std::string_view filter = Whitespace::trimmed(m_filter);
    return filter.empty() ? std::string(kAllAssigned) : noMatch(filter);
}

std::vector<GenreMapModel::MenuEntry> GenreMapModel::menuEntries(std::string_view genre) const {
    const Row* found = row(genre);
    const std::optional<QUuid> landing = found != nullptr ? found->landingVibe : std::nullopt;
    std::vector<MenuEntry> entries;
    for (const IdentifiedVibe& entry : m_editor.vibes()) {
        const std::string_view name = Whitespace::trimmed(entry.vibe.name);
        entries.push_back({.title = std::string(name.empty() ? kUnnamedVibe : name),
                           .vibe = entry.id,
                           .checked = landing == entry.id});
    }
    entries.push_back({.title = std::string(kNothing), .vibe = std::nullopt, .checked = !landing.has_value()});
    return entries;
}

bool GenreMapModel::assign(std::string_view genre, const std::optional<QUuid>& vibe) {
    const Row* found = row(genre);
    if (found == nullptr || found->landingVibe == vibe || (vibe && m_editor.vibe(*vibe) == nullptr)) {
        return false;
    }
    // Mapping recomputes the rows under our feet: keep the genre by value.
    const std::string text = found->genre;
    const VibesEditorModel::EditorDraft before = m_editor.draft();
    m_editor.mapGenre(text, vibe);
    return !(m_editor.draft() == before);
}

const GenreMapModel::Row* GenreMapModel::row(std::string_view genre) const {
    const auto found = std::ranges::find(m_rows, genre, &Row::genre);
    return found == m_rows.end() ? nullptr : &*found;
}

void GenreMapModel::recompute() {
    const std::optional<VibeConfig> config = m_editor.previewConfiguration();
    std::set<std::string, std::less<>> catalogue(ITunesGenres::known().begin(), ITunesGenres::known().end());

    std::vector<Row> rows;
    for (std::string& genre : ITunesGenres::merged(m_observed)) {
        Row row;
        row.observedOnly = !catalogue.contains(genre);
        row.genre = std::move(genre);
        const std::optional<VibeResolution> resolution = config ? VibeEngine::vibe(row.genre, *config) : std::nullopt;
        if (!resolution) {
            row.landing = kNoVibe;
        } else if (!resolution->hit) {
            row.landing = fallingThrough(resolution->vibe.name);
        } else {
            row.mapped = true;
            row.landing = resolution->vibe.name;
            // The first vibe equal to the winner is the winner: resolution visits the list in order.
            const auto winner = std::ranges::find(config->vibes, resolution->vibe);
            const auto position = static_cast<std::size_t>(winner - config->vibes.begin());
            // The editor's vibes are the configuration's, in the same order. While the editor's state is
            // invalid the configuration in force may differ, and a position is the best guess there is.
            if (position < m_editor.vibes().size()) {
                row.landingVibe = m_editor.vibes()[position].id;
            }
            if (winner != config->vibes.end()) {
                const std::string lowered = Casing::lowercased(row.genre);
                const auto keywordVibe = std::find_if(winner + 1, config->vibes.end(),
                                                      [&](const Vibe& vibe) { return hasKeyword(vibe, lowered); });
                if (keywordVibe != config->vibes.end()) {
                    row.shadowExplanation = shadowed(keywordVibe->name, winner->name, *resolution->hit);
                }
            }
        }
        rows.push_back(std::move(row));
    }
    if (rows == m_rows) {
        return;
    }
    m_rows = std::move(rows);
    Q_EMIT changed();
}

} // namespace nimbrel
