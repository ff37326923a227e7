#include "app/editors/editor_sidebar_model.h"

#include "core/rendering/slack_emoji.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

SidebarRow section(std::string_view title) {
    return {.kind = SidebarRow::Kind::section, .title = std::string(title)};
}

SidebarRow hint(std::string_view text) {
    return {.kind = SidebarRow::Kind::hint, .title = std::string(text)};
}

std::string titled(std::string_view name) {
    const std::string_view trimmed = Whitespace::trimmed(name);
    return trimmed.empty() ? std::string(EditorSidebarModel::kUntitled) : std::string(trimmed);
}

std::string vibeDetail(const Vibe& vibe) {
    const std::string emoji = SlackEmoji::display(vibe.statusEmoji);
    const std::string_view text = Whitespace::trimmed(vibe.statusText);
    if (emoji.empty()) {
        return std::string(text);
    }
    return text.empty() ? emoji : emoji + " " + std::string(text);
}

SidebarRow themeRow(const StatusTheme& theme, const std::string& defaultThemeID) {
    SidebarRow row{.title = titled(theme.name),
                   .detail = EditorSidebarModel::themePreview(theme),
                   .toolTip = theme.summary,
                   .route = EditorRoute::toTheme(theme.id)};
    row.isDefaultTheme = theme.id == defaultThemeID;
    if (row.isDefaultTheme) {
        row.toolTip = row.toolTip.empty() ? std::string(EditorSidebarModel::kYourDefaultTheme)
                                          : std::string(EditorSidebarModel::kYourDefaultTheme) + "\n" + row.toolTip;
    }
    return row;
}

} // namespace

std::string EditorSidebarModel::themePreview(const StatusTheme& theme) {
    return theme.apply(kThemeSample, kThemeSampleLimit);
}

std::vector<SidebarRow> EditorSidebarModel::rows(const VibesEditorModel::EditorDraft& draft,
                                                 const std::optional<QUuid>& matching) {
    std::vector<SidebarRow> rows;
    rows.push_back(section(kVibesSection));
    rows.push_back(hint(kVibesHelp));
    for (const IdentifiedVibe& each : draft.vibes) {
        SidebarRow row{.title = titled(each.vibe.name), .detail = vibeDetail(each.vibe), .route = EditorRoute::toVibe(each.id)};
        row.isMatching = matching == each.id;
        if (row.isMatching) {
            row.toolTip = kMatchingToolTip;
        }
        rows.push_back(std::move(row));
    }

    SidebarRow defaultVibe{.title = titled(draft.defaultVibe.name), .route = EditorRoute::defaultVibe()};
    defaultVibe.isOff = !draft.useDefaultVibe;
    defaultVibe.detail = std::string(defaultVibe.isOff ? kDefaultVibeOff : kWhenNothingMatches);
    rows.push_back(std::move(defaultVibe));

    rows.push_back({.title = std::string(kFormatting), .route = EditorRoute::formatting()});
    rows.push_back({.title = std::string(kGenres), .route = EditorRoute::genres()});

    rows.push_back(section(kBuiltInSection));
    rows.push_back(hint(kBuiltInHint));
    for (const StatusTheme& theme : StatusTheme::builtIns()) {
        rows.push_back(themeRow(theme, draft.themeID));
    }
    if (!draft.customThemes.empty()) {
        rows.push_back(section(kCustomSection));
        for (const StatusTheme& theme : draft.customThemes) {
            rows.push_back(themeRow(theme, draft.themeID));
        }
    }
    return rows;
}

} // namespace nimbrel
