// The vibe editor window on a display of its own (Xvfb), driven through its real widgets: the banner while
// two vibes share a name, the keyboard's way through the sidebar, undo, reset, and a picture of every screen
// in the build folder.
#include "app/editors/vibe_editor_window.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/editors/default_vibe_editor_view.h"
#include "app/editors/editor_sidebar.h"
#include "app/editors/emoji_field.h"
#include "app/editors/genre_map_model.h"
#include "app/editors/keyword_field.h"
#include "app/editors/live_preview_model.h"
#include "app/editors/theme_editor_text.h"
#include "app/editors/theme_editor_view.h"
#include "app/editors/theme_override_picker.h"
#include "app/editors/vibe_basics_form.h"
#include "app/editors/vibe_editor.h"
#include "app/editors/vibe_editor_view.h"
#include "core/config/built_in_config.h"
#include "tests/app/editors/editor_test_support.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel {
namespace {

using testing::NotoFonts;

using testing::savePicture;

using testing::accessibleName;
using testing::makeVibe;

class VibeEditorWindowTest : public ::testing::Test, private NotoFonts, protected testing::EditorParts {
protected:
    VibeEditorWindowTest() {
        holder.current.vibes = {makeVibe("chill", {"lofi", "indie pop"}, "Chilling", ":headphones:"),
                                makeVibe("focus", {"ambient"}, "Deep work", ":brain:"),
                                makeVibe("party", {"house"}, "Dancing", ":tada:")};
        StatusTheme soft{.id = "soft", .name = "Soft", .prefix = "\u2729 ", .suffix = " \u2729"};
        holder.current.customThemes = {soft};
        editor.setConfigHolder(&holder);
        EXPECT_TRUE(editor.load());
        window.setConfirmReset([this](QWidget*) { return confirmReset; });
        window.show();
        window.activateWindow(); // shortcuts go to the active window
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~VibeEditorWindowTest() override { editor.setConfigHolder(nullptr); }

    QUuid idOf(std::size_t position) const { return editor.vibes().at(position).id; }
    void quietPeriodPasses() { timers.advance(VibesEditorModel::kCommitDelay); }
    void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void chord(QKeySequence keys) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keySequence(focused != nullptr ? focused : &window, keys);
    }

    LivePreviewModel preview{editor};
    GenreMapModel genreMap{editor};
    VibeEditorWindow window{editor, preview, genreMap};
    bool confirmReset = false;
};

TEST_F(VibeEditorWindowTest, TwoVibesNamedAlikeShowTheBannerUntilOneIsRenamed) {
    window.setRoute(EditorRoute::toVibe(idOf(1)));
    QLineEdit* name = window.vibeView()->basics()->nameEdit();
    retype(name, QStringLiteral("chill "));
    quietPeriodPasses();
    EXPECT_TRUE(window.banner()->isVisible());
    EXPECT_EQ(window.bannerProblem()->text(), QStringLiteral("Duplicate vibe name \u201cchill\u201d."));
    EXPECT_EQ(holder.applied, 0) << "nothing invalid reaches the engine";
    savePicture(window, QStringLiteral("vibe-editor-banner.png"));

    QTest::keyClicks(name, QStringLiteral("ed"));
    quietPeriodPasses();
    EXPECT_FALSE(window.banner()->isVisible());
    EXPECT_EQ(holder.current.vibes.at(1).name, "chill ed");
    EXPECT_EQ(holder.applied, 1);
    EXPECT_EQ(name->cursorPosition(), name->text().size()) << "redrawing never moves the cursor";

    // Closing within the quiet period applies the edit rather than dropping it.
    QTest::keyClicks(name, QStringLiteral("!"));
    window.close();
    EXPECT_EQ(holder.current.vibes.at(1).name, "chill ed!");
}

TEST_F(VibeEditorWindowTest, AVibesKeywordsEmojiAndThemeAreEditedInPlace) {
    window.setRoute(EditorRoute::toVibe(idOf(0)));
    KeywordField* keywords = window.vibeView()->keywordField();
    keywords->lineEdit()->setFocus();
    QTest::keyClicks(keywords->lineEdit(), QStringLiteral("metal, Drum and Bass"));
    QTest::keyClick(keywords->lineEdit(), Qt::Key_Return);
    QTest::keyClicks(keywords->lineEdit(), QStringLiteral("LOFI"));
    QTest::keyClick(keywords->lineEdit(), Qt::Key_Return); // already there, ignoring case
    EXPECT_EQ(editor.vibes().at(0).vibe.match,
              (std::vector<std::string>{"lofi", "indie pop", "metal", "Drum and Bass"}));
    QTest::keyClick(keywords->lineEdit(), Qt::Key_Backspace); // the last token back into the line
    EXPECT_EQ(keywords->lineEdit()->text(), QStringLiteral("Drum and Bass"));
    EXPECT_EQ(editor.vibes().at(0).vibe.match.size(), 3U);
    QTest::mouseClick(keywords->tokenButtons().at(0), Qt::LeftButton);
    EXPECT_EQ(editor.vibes().at(0).vibe.match, (std::vector<std::string>{"indie pop", "metal"}));

    ThemeOverridePicker* theme = window.vibeView()->themePicker();
    theme->setFocus();
    QTest::keyClick(theme, Qt::Key_End); // the last theme: the user's "Soft"
    EXPECT_EQ(editor.vibes().at(0).vibe.themeID, "soft");

    EmojiField* emoji = window.vibeView()->basics()->emojiField();
    retype(emoji->lineEdit(), QStringLiteral(":fire:"));
    EXPECT_EQ(editor.vibes().at(0).vibe.statusEmoji, ":fire:");
    savePicture(window, QStringLiteral("vibe-editor-vibe.png"));
}

TEST_F(VibeEditorWindowTest, TheKeyboardAddsMovesAndUndoesVibes) {
    window.sidebar()->setFocus();
    chord(QKeySequence::New);
    ASSERT_EQ(editor.vibes().size(), 4U);
    EXPECT_EQ(window.route(), EditorRoute::toVibe(idOf(3)));
    EXPECT_EQ(QApplication::focusWidget(), window.vibeView()->basics()->nameEdit()) << "ready to name it";

    window.sidebar()->setFocus();
    QTest::keyClick(window.sidebar(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(editor.vibes().at(2).vibe.name, "new-vibe");
    EXPECT_EQ(window.sidebar()->currentRow(), window.sidebar()->rowOf(EditorRoute::toVibe(idOf(2))));
    EXPECT_EQ(window.undoAction()->text(), QStringLiteral("Undo Reorder Vibes"));

    chord(QKeySequence::Undo);
    EXPECT_EQ(editor.vibes().at(3).vibe.name, "new-vibe");
    chord(QKeySequence::Undo);
    EXPECT_EQ(editor.vibes().size(), 3U);
    EXPECT_EQ(window.route(), std::nullopt) << "the undone vibe's screen is gone";
    chord(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(editor.vibes().size(), 4U);

    // Delete on a vibe in the sidebar deletes it, as one undoable step.
    window.setRoute(EditorRoute::toVibe(idOf(0)));
    window.sidebar()->setFocus();
    QTest::keyClick(window.sidebar(), Qt::Key_Delete);
    EXPECT_EQ(editor.vibes().at(0).vibe.name, "focus");
    EXPECT_EQ(window.undoAction()->text(), QStringLiteral("Undo Delete Vibe"));
}

TEST_F(VibeEditorWindowTest, ADropPutsVibesInFrontOfTheRowOrAtTheEnd) {
    const EditorSidebar& sidebar = *window.sidebar();
    const int first = sidebar.rowOf(EditorRoute::toVibe(idOf(0)));
    const int formatting = sidebar.rowOf(EditorRoute::formatting());
    const struct {
        int row;
        bool below;
        int destination;
    } cases[] = {{first, false, 0},      {first, true, 1}, {first + 2, true, 3},
                 {formatting, false, 3}, {0, false, 0},    {-1, false, 3}};
    for (const auto& each : cases) {
        EXPECT_EQ(sidebar.vibeDestination(each.row, each.below), each.destination) << each.row << " " << each.below;
    }
}

TEST_F(VibeEditorWindowTest, ResetAsksFirstAndOneUndoBringsTheVibesBack) {
    window.resetVibesToDefaults();
    EXPECT_EQ(editor.vibes().size(), 3U) << "cancelled";

    confirmReset = true;
    QTest::mouseClick(window.resetButton(), Qt::LeftButton);
    const std::optional<VibeConfig> builtIn = builtInConfig();
    ASSERT_TRUE(builtIn);
    ASSERT_EQ(editor.vibes().size(), builtIn->vibes.size());
    EXPECT_EQ(window.route(), EditorRoute::toVibe(idOf(0)));
    EXPECT_EQ(editor.customThemes().size(), 1U) << "themes are not the vibes";
    window.undoAction()->trigger();
    EXPECT_EQ(editor.vibes().at(0).vibe.name, "chill");
}

TEST_F(VibeEditorWindowTest, DeletingTheThemeOnScreenLeavesItsRouteSayingNotFound) {
    window.setRoute(EditorRoute::toTheme("soft"));
    editor.deleteTheme("soft");
    EXPECT_EQ(window.route(), EditorRoute::toTheme("soft"));
    EXPECT_EQ(window.themeView()->kind(), ThemeEditorText::Kind::missing);
}

TEST_F(VibeEditorWindowTest, ControlsHaveAccessibleNames) {
    window.setRoute(EditorRoute::toVibe(idOf(0)));
    EXPECT_EQ(accessibleName(window.resetButton()), QStringLiteral("Reset Vibes to Defaults\u2026"));
    EXPECT_EQ(accessibleName(window.vibeView()->deleteButton()), QStringLiteral("Delete this vibe"));
    // A picker is named by its form label, as screen readers announce it.
    QAccessibleInterface* picker = QAccessible::queryAccessibleInterface(window.vibeView()->themePicker());
    const auto labels = picker->relations(QAccessible::Label);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), QStringLiteral("Theme"));
    EXPECT_EQ(accessibleName(window.defaultVibeView()->useDefaultSwitch()),
              QStringLiteral("Use a default vibe when nothing matches"));
    EXPECT_EQ(window.previewAction()->toolTip(), QStringLiteral("Hide the live preview"));
    window.previewAction()->trigger();
    EXPECT_FALSE(window.inspector()->isVisible());
    EXPECT_EQ(window.previewAction()->toolTip(), QStringLiteral("Show the live preview"));
}

TEST_F(VibeEditorWindowTest, PicturesOfEveryScreen) {
    savePicture(window, QStringLiteral("vibe-editor-nothing-selected.png"));
    const std::pair<EditorRoute, const char*> routes[] = {
        {EditorRoute::defaultVibe(), "vibe-editor-default-vibe.png"},
        {EditorRoute::genres(), "vibe-editor-genres.png"},
    };
    for (const auto& [route, picture] : routes) {
        window.setRoute(route);
        EXPECT_EQ(window.sidebar()->currentRow(), window.sidebar()->rowOf(route));
        savePicture(window, QString::fromLatin1(picture));
    }
}

/// The editor over a real engine whose player plays Justice (genres "Electronic" and "French House").
class VibeEditorOverEngineTest : private NotoFonts, public testing::EngineTest {};

TEST_F(VibeEditorOverEngineTest, ThePlayingTrackIsMarkedAndEditsReachTheEngine) {
    makeEngine({"T1"});
    startEngine();
    VibeEditor vibeEditor(*engine, *timers);
    vibeEditor.open();
    VibeEditorWindow& window = vibeEditor.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    play("Justice", "Genesis");

    // "focus" matches on "electronic": the sidebar marks it and its screen says why.
    const QUuid focus = vibeEditor.model().vibes().at(0).id;
    window.setRoute(EditorRoute::toVibe(focus));
    const SidebarRow& row =
        window.sidebar()->rows().at(static_cast<std::size_t>(window.sidebar()->rowOf(EditorRoute::toVibe(focus))));
    EXPECT_TRUE(row.isMatching);
    EXPECT_EQ(window.vibeView()->matchingLabel()->text(),
              QStringLiteral("Currently matching what\u2019s playing, via \u201celectronic\u201d."));
    savePicture(window, QStringLiteral("vibe-editor-playing.png"));

    QLineEdit* text = window.vibeView()->basics()->statusTextEdit();
    text->setFocus();
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Heads down"));
    timers->advance(VibesEditorModel::kCommitDelay);
    settle();
    EXPECT_EQ(engine->config().vibes.at(0).statusText, "Heads down");
    window.close();
}

} // namespace
} // namespace nimbrel
