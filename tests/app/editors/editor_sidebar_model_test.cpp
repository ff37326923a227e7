#include "app/editors/editor_sidebar_model.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Kind = SidebarRow::Kind;
using Draft = VibesEditorModel::EditorDraft;

IdentifiedVibe identified(std::string name, std::string emoji = ":zap:", std::string text = "Busy") {
    return {.id = QUuid::createUuid(),
            .vibe = Vibe{.name = std::move(name),
                         .statusText = std::move(text),
                         .statusEmoji = std::move(emoji),
                         .match = {},
                         .themeID = {}}};
}

Draft draftWithTwoVibesAndATheme() {
    Draft draft;
    draft.vibes = {identified("chill"), identified("  ", "", "")};
    StatusTheme mine;
    mine.id = "mine";
    mine.name = "Mine";
    mine.prefix = "<< ";
    draft.customThemes = {mine};
    draft.themeID = "mine";
    return draft;
}

std::vector<const SidebarRow*> itemsOf(const std::vector<SidebarRow>& rows, EditorRoute::Kind kind) {
    std::vector<const SidebarRow*> items;
    for (const SidebarRow& row : rows) {
        if (row.route && row.route->kind == kind) {
            items.push_back(&row);
        }
    }
    return items;
}

TEST(EditorSidebarModelTest, ListsSectionsInOrderWithRoutesThatSurviveRenames) {
    const Draft draft = draftWithTwoVibesAndATheme();
    const std::vector<SidebarRow> rows = EditorSidebarModel::rows(draft, std::nullopt);

    std::vector<std::string> outline;
    for (const SidebarRow& row : rows) {
        if (row.kind == Kind::section || (row.route && row.route->kind != EditorRoute::Kind::theme)) {
            outline.push_back(row.title);
        }
    }
    EXPECT_EQ(outline, (std::vector<std::string>{"Vibes", "chill", "Untitled", "listening", "Formatting", "Genres",
                                                 "Built-in", "Your themes"}));
    EXPECT_EQ(rows[1].kind, Kind::hint);
    EXPECT_EQ(*rows[2].route, EditorRoute::toVibe(draft.vibes[0].id));
    EXPECT_EQ(rows[2].detail, "\u26a1\ufe0f Busy"); // the emoji's glyph, then the status text

    const auto themes = itemsOf(rows, EditorRoute::Kind::theme);
    ASSERT_EQ(themes.size(), StatusTheme::builtIns().size() + 1);
    EXPECT_EQ(themes.back()->route->themeID, "mine");
    EXPECT_EQ(themes.back()->detail, "<< GSD mode");
    // Exactly one theme is marked as the default: the one the formatting screen chose.
    EXPECT_EQ(std::count_if(themes.begin(), themes.end(), [](const SidebarRow* row) { return row->isDefaultTheme; }),
              1);
    EXPECT_TRUE(themes.back()->isDefaultTheme);
}

TEST(EditorSidebarModelTest, MarksTheMatchingVibeAndADefaultVibeThatIsOff) {
    Draft draft = draftWithTwoVibesAndATheme();
    draft.useDefaultVibe = false;
    draft.customThemes.clear(); // no section for the user's themes while there are none
    const std::vector<SidebarRow> rows = EditorSidebarModel::rows(draft, draft.vibes[1].id);

    const auto vibes = itemsOf(rows, EditorRoute::Kind::vibe);
    EXPECT_FALSE(vibes[0]->isMatching);
    EXPECT_TRUE(vibes[1]->isMatching);
    EXPECT_EQ(vibes[1]->toolTip, EditorSidebarModel::kMatchingToolTip);
    const auto defaultVibe = itemsOf(rows, EditorRoute::Kind::defaultVibe);
    EXPECT_TRUE(defaultVibe[0]->isOff);
    EXPECT_EQ(defaultVibe[0]->detail, EditorSidebarModel::kDefaultVibeOff);
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                             [](const SidebarRow& row) { return row.title == EditorSidebarModel::kCustomSection; }));
}

} // namespace
} // namespace nimbrel
