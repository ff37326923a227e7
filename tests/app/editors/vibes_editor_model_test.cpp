#include "app/editors/vibes_editor_model.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/log/app_log.h"
#include "core/config/built_in_config.h"
#include "tests/app/editors/editor_test_support.h"
#include "tests/support/manual_timers.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using Draft = VibesEditorModel::EditorDraft;

using testing::makeVibe;

class VibesEditorModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        holder.current.vibes = {makeVibe("chill", {"lofi", "indie pop"}), makeVibe("focus", {"INDIE POP"}),
                                makeVibe("party", {"house"})};
        holder.current.pollSeconds = 300;
        holder.current.customThemes.resize(1);
        holder.current.customThemes[0].id = "mine";
        holder.current.customThemes[0].name = "Mine";
        model.setConfigHolder(&holder);
        model.setUndoStack(&stack);
        ASSERT_TRUE(model.load());
        installAppLog(&appLog);
    }
    void TearDown() override { installAppLog(nullptr); }

    QUuid idAt(std::size_t position) const { return model.vibes().at(position).id; }
    /// Edits the vibe at `position` in place, as a text field would.
    void editVibe(std::size_t position, const std::function<void(Vibe&)>& change) {
        Vibe vibe = model.vibes().at(position).vibe;
        change(vibe);
        ASSERT_TRUE(model.setVibe(idAt(position), vibe));
    }
    std::set<QUuid> ids() const {
        std::set<QUuid> result;
        std::ranges::transform(model.vibes(), std::inserter(result, result.end()), &IdentifiedVibe::id);
        return result;
    }
    bool allNew(const std::set<QUuid>& old) const {
        return std::ranges::none_of(model.vibes(), [&](const IdentifiedVibe& entry) { return old.contains(entry.id); });
    }
    void settle() { timers.advance(VibesEditorModel::kCommitDelay); }

    testing::TemporaryFolder logFolder;
    std::vector<std::string> logLines;
    AppLog appLog{
        {.folder = logFolder.path(), .debugEnabled = true, .systemLog = [this](LogLevel, std::string_view line) {
             logLines.emplace_back(line);
         }}};
    testing::ManualTimers timers;
    testing::FakeConfigHolder holder;
    QUndoStack stack;
    VibesEditorModel model{timers};
};

TEST_F(VibesEditorModelTest, ValidationFindsTheFirstProblemInOrder) {
    struct Case {
        std::vector<std::string> vibeNames;
        bool useDefaultVibe;
        std::string defaultName;
        std::vector<std::string> themeNames;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {{"chill", "chill "}, true, "d", {}, "Duplicate vibe name \u201Cchill\u201D."},
        {{"Chill", "chill"}, true, "d", {}, std::nullopt},
        {{"chill", " \n"}, true, "d", {}, "Every vibe needs a name."},
        {{"a"}, false, " ", {}, std::nullopt},
        {{"a"}, true, " \t", {}, "Default vibe needs a name."},
        {{"a"}, true, "d", {"ok", "   "}, "Every theme needs a name."},
        {{"a"}, true, "d", {"\n"}, std::nullopt},
        {{"a", "a"}, true, "", {" "}, "Duplicate vibe name \u201Ca\u201D."},
    };
    for (const Case& c : cases) {
        Draft draft;
        for (const std::string& name : c.vibeNames) {
            draft.vibes.push_back({QUuid::createUuid(), makeVibe(name)});
        }
        draft.useDefaultVibe = c.useDefaultVibe;
        draft.defaultVibe.name = c.defaultName;
        for (const std::string& name : c.themeNames) {
            draft.customThemes.emplace_back().name = name;
        }
        model.restoreDraft(draft);
        EXPECT_EQ(model.validationError(), c.expected) << ::testing::PrintToString(c.vibeNames);
        EXPECT_EQ(model.makeConfiguration().has_value(), !c.expected.has_value());
    }
}

TEST_F(VibesEditorModelTest, AnInvalidStateIsNeverAppliedAndAValidOneIsAppliedTrimmed) {
    model.setUseDefaultVibe(false);
    editVibe(1, [](Vibe& vibe) { vibe.name = "chill "; });
    settle();
    EXPECT_EQ(holder.applied, 0);
    EXPECT_EQ(model.errorText(), QStringLiteral("Duplicate vibe name \u201Cchill\u201D."));
    EXPECT_EQ(logLines.back(), "commit: rejected \u2014 Duplicate vibe name \u201Cchill\u201D.");

    editVibe(1, [](Vibe& vibe) { vibe = makeVibe(" deep focus\n", {" x "}, "  on ", "\t:brain: "); });
    settle();
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    ASSERT_EQ(holder.applied, 1);
    EXPECT_EQ(holder.current.vibes[1], makeVibe("deep focus", {" x "}, "on", ":brain:"));
    EXPECT_EQ(holder.current.defaultVibe, std::nullopt);
    EXPECT_EQ(holder.current.pollSeconds, 300) << "what the editor does not edit stays as it was";
    EXPECT_EQ(logLines.back(), R"(commit: theme=plain vibes=["chill", "deep focus", "party"])");

    // Switching the default vibe back on with an empty name: the last valid configuration stays in force.
    Vibe unnamed = model.defaultVibe();
    unnamed.name.clear();
    model.setDefaultVibe(unnamed);
    model.setUseDefaultVibe(true);
    settle();
    EXPECT_EQ(model.errorMessage(), std::string(VibesEditorModel::kDefaultVibeNeedsName));
    EXPECT_EQ(holder.applied, 1);
}

TEST_F(VibesEditorModelTest, TenQuickEditsGiveOneCommit) {
    for (int i = 1; i <= 10; ++i) {
        editVibe(0, [i](Vibe& vibe) { vibe.statusText = "typed " + std::to_string(i); });
        timers.advance(std::chrono::milliseconds{300});
    }
    EXPECT_EQ(holder.applied, 0);
    timers.advance(std::chrono::milliseconds{50});
    ASSERT_EQ(holder.applied, 1);
    EXPECT_EQ(holder.ranNow, 1) << "a commit runs the engine at once";
    EXPECT_EQ(holder.current.vibes[0].statusText, "typed 10");
    EXPECT_FALSE(model.hasPendingCommit());
}

TEST_F(VibesEditorModelTest, AnEditThatLeavesTheConfigurationEqualAppliesNothing) {
    int signals = 0;
    QObject::connect(&model, &VibesEditorModel::changed, &model, [&] { ++signals; });
    model.setStatusFormat(model.statusFormat()); // no change: no signal, no commit
    EXPECT_FALSE(model.hasPendingCommit());

    editVibe(0, [](Vibe& vibe) { vibe.name += "x"; });
    editVibe(0, [](Vibe& vibe) { vibe.name.pop_back(); });
    settle();
    editVibe(2, [](Vibe& vibe) { vibe.statusText += "  "; }); // trimmed away again
    settle();
    EXPECT_EQ(holder.applied, 0);
    EXPECT_TRUE(logLines.empty());
    EXPECT_EQ(signals, 3);
}

TEST_F(VibesEditorModelTest, DeletingTheDefaultThemeInUseIsOneUndoableStep) {
    const std::string id = model.addTheme();
    model.setThemeID(id);
    editVibe(0, [&](Vibe& vibe) { vibe.themeID = id; });
    editVibe(2, [&](Vibe& vibe) { vibe.themeID = id; });
    Vibe defaultVibe = model.defaultVibe();
    defaultVibe.themeID = id;
    model.setDefaultVibe(defaultVibe);
    const Draft before = model.draft();

    model.deleteTheme(id);
    EXPECT_EQ(model.themeID(), "plain");
    EXPECT_EQ(model.vibes()[0].vibe.themeID, std::nullopt);
    EXPECT_EQ(model.vibes()[2].vibe.themeID, std::nullopt);
    EXPECT_EQ(model.defaultVibe().themeID, std::nullopt);
    stack.undo();
    EXPECT_EQ(model.draft(), before);

    const int steps = stack.count();
    model.deleteTheme("plain"); // built-in: not removable, and no step that would undo nothing
    model.mapGenre(" \n", idAt(0));
    EXPECT_EQ(stack.count(), steps);
}

TEST_F(VibesEditorModelTest, ReorderingFollowsListDragAndDrop) {
    using Case = std::tuple<std::vector<int>, int, std::vector<std::string>>;
    for (const auto& [positions, destination, expected] :
         {Case{{0}, 2, {"focus", "chill", "party"}}, Case{{2}, 0, {"party", "chill", "focus"}},
          Case{{0, 1}, 3, {"party", "chill", "focus"}}, Case{{7}, 0, {"chill", "focus", "party"}}}) {
        ASSERT_TRUE(model.load());
        model.moveVibes(positions, destination);
        std::vector<std::string> names;
        std::ranges::transform(model.vibes(), std::back_inserter(names), [](const auto& e) { return e.vibe.name; });
        EXPECT_EQ(names, expected) << ::testing::PrintToString(positions) << " to " << destination;
    }
}

TEST_F(VibesEditorModelTest, MappingAGenreMovesItAndUnmappingOnlyRemovesIt) {
    model.mapGenre(" Indie Pop\n", idAt(2));
    EXPECT_EQ(model.vibes()[0].vibe.match, (std::vector<std::string>{"lofi"}));
    EXPECT_TRUE(model.vibes()[1].vibe.match.empty());
    EXPECT_EQ(model.vibes()[2].vibe.match, (std::vector<std::string>{"house", "Indie Pop"}));

    model.mapGenre("HOUSE", std::nullopt);
    EXPECT_EQ(model.vibes()[2].vibe.match, (std::vector<std::string>{"Indie Pop"}));
}

TEST_F(VibesEditorModelTest, EveryNamedStepUndoesAndRedoesByExchangingDrafts) {
    const VibeConfig original = holder.current;
    const auto check = [&](const std::string& name, const std::function<void()>& step) {
        holder.current = original;
        ASSERT_TRUE(model.load());
        const Draft before = model.draft();
        step();
        const Draft after = model.draft();
        ASSERT_NE(after, before) << name;
        EXPECT_EQ(stack.undoText().toStdString(), name);
        settle();
        stack.undo();
        EXPECT_EQ(model.draft(), before) << name;
        EXPECT_EQ(stack.redoText().toStdString(), name);
        EXPECT_TRUE(model.hasPendingCommit()) << "undo schedules a commit";
        stack.redo();
        EXPECT_EQ(model.draft(), after) << name;
    };
    check("Add Vibe", [&] { model.addVibe(); });
    check("Delete Vibe", [&] { model.deleteVibe(idAt(1)); });
    check("Delete Vibe", [&] { model.deleteVibes({0, 2, 99}); });
    check("Reorder Vibes", [&] { model.moveVibes({0}, 3); });
    check("Add Theme", [&] { model.addTheme(); });
    check("Duplicate Theme", [&] { model.duplicateTheme(StatusTheme::plain()); });
    check("Delete Theme", [&] { model.deleteTheme("mine"); });
    check("Map Genre", [&] { model.mapGenre("lofi", idAt(1)); });
    check("Unmap Genre", [&] { model.mapGenre("lofi", std::nullopt); });
    check("Reset Vibes", [&] { model.resetVibesToDefaults(); });
}

TEST_F(VibesEditorModelTest, NewVibesAndThemesGetUnusedIdentitiesAndLoadingAndResettingFreshOnes) {
    EXPECT_NE(model.addVibe(), model.addVibe());
    EXPECT_EQ(model.validationError(), "Duplicate vibe name \u201Cnew-vibe\u201D.") << "new vibes are not renamed";
    EXPECT_EQ(model.addTheme(), "my-theme");
    EXPECT_EQ(model.addTheme(), "my-theme-2");
    const std::string copy = model.duplicateTheme(StatusTheme::sparkles());
    const StatusTheme& duplicated = model.customThemes().back();
    EXPECT_EQ(duplicated.name, StatusTheme::sparkles().name + " copy");
    EXPECT_TRUE(duplicated.summary.empty());
    EXPECT_NE(model.duplicateTheme(duplicated), copy);

    std::set<QUuid> before = ids();
    ASSERT_TRUE(model.load());
    EXPECT_TRUE(allNew(before));
    EXPECT_EQ(stack.count(), 0) << "loading drops the steps of the earlier draft";

    model.setUseDefaultVibe(false);
    const VibeConfig builtIn = *builtInConfig();
    for (int reset = 0; reset < 2; ++reset) {
        before = ids();
        model.resetVibesToDefaults();
        EXPECT_TRUE(allNew(before));
        EXPECT_EQ(ids().size(), builtIn.vibes.size());
    }
    EXPECT_EQ(model.vibes().back().vibe, builtIn.vibes.back());
    EXPECT_TRUE(model.useDefaultVibe());
    EXPECT_EQ(model.defaultVibe(), builtIn.defaultVibe);

    // A configuration without a default vibe keeps the editor's, ready to be switched back on.
    ASSERT_TRUE(model.load());
    EXPECT_FALSE(model.useDefaultVibe());
    EXPECT_EQ(model.defaultVibe(), builtIn.defaultVibe);
}

TEST_F(VibesEditorModelTest, WithoutTheEngineNothingHappensAndClosingKeepsThePendingEdit) {
    model.setConfigHolder(nullptr);
    editVibe(0, [](Vibe& vibe) { vibe.name = "chill "; });
    settle();
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_FALSE(model.load());

    {
        VibesEditorModel closing(timers);
        closing.setConfigHolder(&holder);
        closing.setUndoStack(&stack);
        ASSERT_TRUE(closing.load());
        closing.addVibe();
        EXPECT_EQ(holder.applied, 0);
    }
    ASSERT_EQ(holder.applied, 1);
    EXPECT_EQ(holder.ranNow, 1);
    EXPECT_EQ(holder.current.vibes.back().name, "new-vibe");
    stack.undo(); // the step outlives its editor and does nothing
    EXPECT_EQ(holder.applied, 1);
}

} // namespace
} // namespace nimbrel
