#include "app/editors/vibes_editor_model.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/log/app_log.h"
#include "core/config/built_in_config.h"
#include "tests/support/manual_timers.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using Draft = VibesEditorModel::EditorDraft;

/// The engine's side: the configuration in force, and every configuration applied to it.
struct RecordingHolder final : ConfigHolder {
    VibeConfig current;
    std::vector<VibeConfig> applied;
    std::vector<bool> runNow;

    const VibeConfig& config() const override { return current; }
    void applyConfig(VibeConfig config, bool run) override {
        current = config;
        applied.push_back(std::move(config));
        runNow.push_back(run);
    }
};

Vibe makeVibe(std::string name, std::vector<std::string> match = {}, std::optional<std::string> theme = {}) {
    return Vibe{.name = std::move(name),
                .statusText = "text",
                .statusEmoji = ":x:",
                .match = std::move(match),
                .themeID = std::move(theme)};
}

StatusTheme theme(std::string id, std::string name) {
    StatusTheme result;
    result.id = std::move(id);
    result.name = std::move(name);
    return result;
}

std::vector<std::string> names(const VibesEditorModel& model) {
    std::vector<std::string> result;
    for (const IdentifiedVibe& entry : model.vibes()) {
        result.push_back(entry.vibe.name);
    }
    return result;
}

class VibesEditorModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        holder.current.vibes = {makeVibe("chill", {"lofi", "indie pop"}), makeVibe("focus", {"INDIE POP"}),
                                makeVibe("party", {"house"})};
        holder.current.defaultVibe = makeVibe("listening");
        holder.current.pollSeconds = 300;
        holder.current.animateMenuBar = false;
        holder.current.customThemes = {theme("mine", "Mine")};
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
    void settle() { timers.advance(VibesEditorModel::kCommitDelay); }

    testing::TemporaryFolder logFolder;
    std::vector<std::string> logLines;
    AppLog appLog{
        {.folder = logFolder.path(), .debugEnabled = true, .systemLog = [this](LogLevel, std::string_view line) {
             logLines.emplace_back(line);
         }}};
    testing::ManualTimers timers;
    RecordingHolder holder;
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
        {{"chill", "chill "}, true, "listening", {}, "Duplicate vibe name \u201Cchill\u201D."},
        {{"Chill", "chill"}, true, "listening", {}, std::nullopt},
        {{"chill", " \n"}, true, "listening", {}, "Every vibe needs a name."},
        {{"", "a", "a"}, true, "", {}, "Every vibe needs a name."},
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
            draft.customThemes.push_back(theme("t" + std::to_string(draft.customThemes.size()), name));
        }
        model.restoreDraft(draft);
        EXPECT_EQ(model.validationError(), c.expected) << ::testing::PrintToString(c.vibeNames);
        EXPECT_EQ(model.makeConfiguration().has_value(), !c.expected.has_value());
    }
}

TEST_F(VibesEditorModelTest, AnInvalidStateIsNeverAppliedAndFixingItCommitsTrimmedTexts) {
    editVibe(1, [](Vibe& vibe) { vibe.name = "chill "; });
    settle();
    EXPECT_TRUE(holder.applied.empty());
    EXPECT_EQ(model.errorText(), QStringLiteral("Duplicate vibe name \u201Cchill\u201D."));
    EXPECT_EQ(logLines.back(), "commit: rejected \u2014 Duplicate vibe name \u201Cchill\u201D.");

    editVibe(1, [](Vibe& vibe) {
        vibe.name = " deep focus\n";
        vibe.statusText = "  heads down ";
        vibe.statusEmoji = "\t:brain: ";
        vibe.match = {" spaced "};
    });
    settle();
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    ASSERT_EQ(holder.applied.size(), 1U);
    const VibeConfig& applied = holder.applied[0];
    EXPECT_EQ(applied.vibes[1], (Vibe{.name = "deep focus",
                                      .statusText = "heads down",
                                      .statusEmoji = ":brain:",
                                      .match = {" spaced "},
                                      .themeID = {}}));
    // What the editor does not edit is taken from the configuration in force.
    EXPECT_EQ(applied.pollSeconds, 300);
    EXPECT_FALSE(applied.animateMenuBar);
    EXPECT_EQ(holder.runNow, std::vector<bool>{true});
    EXPECT_EQ(logLines.back(), R"(commit: theme=plain vibes=["chill", "deep focus", "party"])");
    // The draft keeps what was typed; only the configuration is trimmed.
    EXPECT_EQ(model.vibes()[1].vibe.name, " deep focus\n");
}

TEST_F(VibesEditorModelTest, TheDefaultVibeIsCheckedOnlyWhileItIsOn) {
    Vibe unnamed = model.defaultVibe();
    unnamed.name = "";
    model.setUseDefaultVibe(false);
    model.setDefaultVibe(unnamed);
    settle();
    ASSERT_EQ(holder.applied.size(), 1U);
    EXPECT_EQ(holder.current.defaultVibe, std::nullopt);

    model.setUseDefaultVibe(true);
    settle();
    EXPECT_EQ(model.errorMessage(), std::string(VibesEditorModel::kDefaultVibeNeedsName));
    EXPECT_EQ(holder.applied.size(), 1U);
    EXPECT_EQ(holder.current.defaultVibe, std::nullopt) << "the last valid configuration stays in force";
}

TEST_F(VibesEditorModelTest, TenQuickEditsGiveOneCommit) {
    for (int i = 1; i <= 10; ++i) {
        editVibe(0, [i](Vibe& vibe) { vibe.statusText = "typed " + std::to_string(i); });
        timers.advance(std::chrono::milliseconds{300});
        EXPECT_TRUE(holder.applied.empty()) << "edit " << i;
    }
    timers.advance(std::chrono::milliseconds{50});
    ASSERT_EQ(holder.applied.size(), 1U);
    EXPECT_EQ(holder.current.vibes[0].statusText, "typed 10");
    EXPECT_EQ(timers.started(TimerPurpose::editorCommit),
              std::vector<std::chrono::milliseconds>(10, VibesEditorModel::kCommitDelay));
    EXPECT_FALSE(model.hasPendingCommit());
}

TEST_F(VibesEditorModelTest, AnEditThatLeavesTheConfigurationEqualAppliesNothing) {
    int signals = 0;
    QObject::connect(&model, &VibesEditorModel::changed, &model, [&] { ++signals; });
    model.setStatusFormat(model.statusFormat()); // no change, no signal, no commit
    EXPECT_EQ(signals, 0);
    EXPECT_FALSE(model.hasPendingCommit());

    editVibe(0, [](Vibe& vibe) { vibe.name += "x"; });
    editVibe(0, [](Vibe& vibe) { vibe.name.pop_back(); });
    settle();
    editVibe(2, [](Vibe& vibe) { vibe.statusText += "  "; }); // trimmed away again
    settle();
    EXPECT_TRUE(holder.applied.empty());
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
    EXPECT_EQ(stack.undoText(), QStringLiteral("Delete Theme"));

    stack.undo();
    EXPECT_EQ(model.draft(), before);

    const int steps = stack.count();
    model.deleteTheme("plain"); // a built-in theme is not removable
    EXPECT_EQ(stack.count(), steps);
}

TEST_F(VibesEditorModelTest, MappingAGenreMovesItAndUnmappingOnlyRemovesIt) {
    model.mapGenre(" Indie Pop\n", idAt(2));
    EXPECT_EQ(model.vibes()[0].vibe.match, (std::vector<std::string>{"lofi"}));
    EXPECT_TRUE(model.vibes()[1].vibe.match.empty());
    EXPECT_EQ(model.vibes()[2].vibe.match, (std::vector<std::string>{"house", "Indie Pop"}));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Map Genre"));

    model.mapGenre("HOUSE", std::nullopt);
    EXPECT_EQ(model.vibes()[2].vibe.match, (std::vector<std::string>{"Indie Pop"}));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Unmap Genre"));

    const int steps = stack.count();
    model.mapGenre(" \n", idAt(0));
    model.mapGenre("unknown genre", std::nullopt);
    EXPECT_EQ(stack.count(), steps) << "nothing changed, so nothing to undo";
}

TEST_F(VibesEditorModelTest, EveryNamedStepUndoesAndRedoesByExchangingDrafts) {
    const StatusTheme plain = StatusTheme::plain();
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"Add Vibe",
         [&] {
             model.addVibe();
         }},
        {"Delete Vibe",
         [&] {
             model.deleteVibe(idAt(1));
         }},
        {"Delete Vibe",
         [&] {
             model.deleteVibes({0, 2, 99});
         }},
        {"Reorder Vibes",
         [&] {
             model.moveVibes({0}, 3);
         }},
        {"Add Theme",
         [&] {
             model.addTheme();
         }},
        {"Duplicate Theme",
         [&] {
             model.duplicateTheme(plain);
         }},
        {"Delete Theme",
         [&] {
             model.deleteTheme("mine");
         }},
        {"Map Genre",
         [&] {
             model.mapGenre("lofi", idAt(1));
         }},
        {"Unmap Genre",
         [&] {
             model.mapGenre("lofi", std::nullopt);
         }},
        {"Reset Vibes",
         [&] {
             model.resetVibesToDefaults();
         }},
    };
    const VibeConfig original = holder.current;
    for (const auto& [name, step] : steps) {
        holder.current = original;
        ASSERT_TRUE(model.load());
        const Draft before = model.draft();
        step();
        const Draft after = model.draft();
        ASSERT_NE(after, before) << name;
        EXPECT_EQ(stack.undoText().toStdString(), name);

        timers.advance(VibesEditorModel::kCommitDelay);
        stack.undo();
        EXPECT_EQ(model.draft(), before) << name;
        EXPECT_EQ(stack.redoText().toStdString(), name);
        EXPECT_TRUE(model.hasPendingCommit()) << "undo schedules a commit";
        stack.redo();
        EXPECT_EQ(model.draft(), after) << name;
    }
}

TEST_F(VibesEditorModelTest, AddedItemsTakeTheirDefaultsAndUnusedIDs) {
    const QUuid first = model.addVibe();
    const QUuid second = model.addVibe();
    EXPECT_NE(first, second);
    ASSERT_NE(model.vibe(second), nullptr);
    EXPECT_EQ(
        model.vibe(second)->vibe,
        (Vibe{
            .name = "new-vibe", .statusText = "New vibe", .statusEmoji = ":headphones:", .match = {}, .themeID = {}}));
    EXPECT_EQ(model.validationError(), VibesEditorModel::duplicateVibeNameProblem("new-vibe"));

    EXPECT_EQ(model.addTheme(), "my-theme");
    EXPECT_EQ(model.addTheme(), "my-theme-2");
    const std::string copy = model.duplicateTheme(StatusTheme::sparkles());
    const StatusTheme& duplicated = model.customThemes().back();
    EXPECT_EQ(duplicated.id, copy);
    EXPECT_EQ(duplicated.name, StatusTheme::sparkles().name + " copy");
    EXPECT_EQ(duplicated.prefix, StatusTheme::sparkles().prefix);
    EXPECT_TRUE(duplicated.summary.empty());
    EXPECT_NE(model.duplicateTheme(duplicated), copy);
    EXPECT_FALSE(StatusTheme::builtInIDs().contains(copy));
}

TEST_F(VibesEditorModelTest, ReorderingFollowsListDragAndDrop) {
    struct Case {
        std::vector<int> positions;
        int destination;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {{0}, 2, {"focus", "chill", "party"}},    {{2}, 0, {"party", "chill", "focus"}},
        {{0, 2}, 3, {"focus", "chill", "party"}}, {{0, 1}, 3, {"party", "chill", "focus"}},
        {{1}, 1, {"chill", "focus", "party"}},    {{7}, 0, {"chill", "focus", "party"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(model.load());
        model.moveVibes(c.positions, c.destination);
        EXPECT_EQ(names(model), c.expected) << ::testing::PrintToString(c.positions) << " to " << c.destination;
    }
}

TEST_F(VibesEditorModelTest, LoadingAndResettingGiveFreshIdentities) {
    const auto ids = [&] {
        std::set<QUuid> result;
        for (const IdentifiedVibe& entry : model.vibes()) {
            result.insert(entry.id);
        }
        return result;
    };
    const auto disjoint = [](const std::set<QUuid>& a, const std::set<QUuid>& b) {
        return std::ranges::none_of(a, [&](const QUuid& id) { return b.contains(id); });
    };
    model.addVibe();
    const std::set<QUuid> before = ids();
    ASSERT_TRUE(model.load());
    EXPECT_TRUE(disjoint(ids(), before));
    EXPECT_TRUE(model.loaded());
    EXPECT_EQ(stack.count(), 0) << "loading drops the steps of the earlier draft";
    EXPECT_FALSE(model.hasPendingCommit());

    model.setUseDefaultVibe(false);
    const std::set<QUuid> loaded = ids();
    model.resetVibesToDefaults();
    const VibeConfig builtIn = *builtInConfig();
    ASSERT_EQ(model.vibes().size(), builtIn.vibes.size());
    for (std::size_t i = 0; i < builtIn.vibes.size(); ++i) {
        EXPECT_EQ(model.vibes()[i].vibe, builtIn.vibes[i]);
    }
    EXPECT_EQ(ids().size(), builtIn.vibes.size());
    EXPECT_TRUE(disjoint(ids(), loaded));
    EXPECT_TRUE(model.useDefaultVibe());
    EXPECT_EQ(model.defaultVibe(), builtIn.defaultVibe);
    const std::set<QUuid> firstReset = ids();
    model.resetVibesToDefaults();
    EXPECT_TRUE(disjoint(ids(), firstReset));

    // A configuration without a default vibe keeps the editor's, ready to be switched back on.
    holder.current.defaultVibe.reset();
    ASSERT_TRUE(model.load());
    EXPECT_FALSE(model.useDefaultVibe());
    EXPECT_EQ(model.defaultVibe(), builtIn.defaultVibe);
}

TEST_F(VibesEditorModelTest, WithoutTheEngineNothingHappensAndClosingKeepsThePendingEdit) {
    model.setConfigHolder(nullptr);
    editVibe(0, [](Vibe& vibe) { vibe.name = "chill "; });
    model.setStatusFormat("{vibe} \u00B7 {artist}");
    settle();
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_FALSE(model.makeConfiguration().has_value());
    EXPECT_FALSE(model.load());

    model.setConfigHolder(&holder);
    {
        VibesEditorModel closing(timers);
        closing.setConfigHolder(&holder);
        closing.setUndoStack(&stack);
        ASSERT_TRUE(closing.load());
        closing.addVibe();
        EXPECT_TRUE(holder.applied.empty());
    }
    ASSERT_EQ(holder.applied.size(), 1U);
    EXPECT_EQ(holder.current.vibes.back().name, "new-vibe");
    stack.undo(); // the step outlives its editor and does nothing
    EXPECT_EQ(holder.applied.size(), 1U);
}

} // namespace
} // namespace nimbrel
