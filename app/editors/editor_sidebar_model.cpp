#include "app/editors/editor_sidebar_model.h"

#include "app/editors/theme_editor_text.h"
#include "core/rendering/slack_emoji.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

SidebarRow makeRow(SidebarRow::Kind kind, std::string title, std::string detail = {},
                   std::optional<EditorRoute> route = {}) {
    SidebarRow row;
    row.kind = kind;
    row.title = std::move(title);
    row.detail = std::move(detail);
    row.route = std::move(route);
    return row;
}

SidebarRow section(std::string_view title) {
    return makeRow(SidebarRow::Kind::section, std::string(title));
}

SidebarRow hint(std::string_view text) {
    return makeRow(SidebarRow::Kind::hint, std::string(text));
}

SidebarRow entry(std::string title, std::string detail, EditorRoute route) {
    return makeRow(SidebarRow::Kind::item, std::move(title), std::move(detail), std::move(route));
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
    SidebarRow row = entry(titled(theme.name), ThemeEditorText::listPreview(theme), EditorRoute::toTheme(theme.id));
    row.toolTip = theme.summary;
    row.isDefaultTheme = theme.id == defaultThemeID;
    if (row.isDefaultTheme) {
        row.toolTip = row.toolTip.empty() ? std::string(EditorSidebarModel::kYourDefaultTheme)
                                          : std::string(EditorSidebarModel::kYourDefaultTheme) + "\n" + row.toolTip;
    }
    return row;
}

} // namespace

std::vector<SidebarRow> EditorSidebarModel::rows(const VibesEditorModel::EditorDraft& draft,
                                                 const std::optional<QUuid>& matching) {
    std::vector<SidebarRow> rows;
    rows.push_back(section(kVibesSection));
    rows.push_back(hint(kVibesHelp));
    for (const IdentifiedVibe& each : draft.vibes) {
        SidebarRow row = entry(titled(each.vibe.name), vibeDetail(each.vibe), EditorRoute::toVibe(each.id));
        row.isMatching = matching == each.id;
        if (row.isMatching) {
            row.toolTip = kMatchingToolTip;
        }
        rows.push_back(std::move(row));
    }

    SidebarRow defaultVibe =
        entry(titled(draft.defaultVibe.name), std::string(draft.useDefaultVibe ? kWhenNothingMatches : kDefaultVibeOff),
              EditorRoute::defaultVibe());
    defaultVibe.isOff = !draft.useDefaultVibe;
    rows.push_back(std::move(defaultVibe));

    rows.push_back(entry(std::string(kFormatting), {}, EditorRoute::formatting()));
    rows.push_back(entry(std::string(kGenres), {}, EditorRoute::genres()));

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
