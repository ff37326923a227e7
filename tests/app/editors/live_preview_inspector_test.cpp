// The live preview pane on a display of its own (Xvfb), with real fonts: what it shows for a matching
// track, its genre buttons, and pictures of it in the build folder.
#include "app/editors/live_preview_inspector.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/editors/engine_config_holder.h"
#include "app/editors/engine_preview_feed.h"
#include "app/editors/live_preview_model.h"
#include "tests/app/editors/editor_test_support.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel {
namespace {

using testing::NotoFonts;

class LivePreviewInspectorTest : public ::testing::Test, private NotoFonts, protected testing::EditorParts {
protected:
    LivePreviewInspectorTest() {
        StatusTheme soft{.id = "soft", .name = "Soft", .prefix = "\u2729 ", .suffix = " \u2729"};
        holder.current.customThemes = {soft};
        holder.current.statusFormat = "{vibe} \u00b7 {track} \u2014 {artist}";
        holder.current.vibes = {
            Vibe{.name = "chill",
                 .statusText = "Chilling",
                 .statusEmoji = ":headphones:",
                 .match = {"lofi", "indie pop"},
                 .themeID = "soft"},
            Vibe{.name = "focus",
                 .statusText = "Deep work",
                 .statusEmoji = ":brain:",
                 .match = {"ambient"},
                 .themeID = {}},
        };
        EXPECT_TRUE(load());
        preview.setSelectedVibe(editor.vibes().at(0).id);
        inspector.resize(380, 460);
        inspector.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&inspector));
    }

    void save(const char* name) { testing::savePicture(inspector, QLatin1String(name)); }

    LivePreviewModel preview{editor};
    LivePreviewInspector inspector{preview};
};

TEST_F(LivePreviewInspectorTest, AMatchingTrackAndItsGenreButtons) {
    preview.setPlaying({.artist = "Clairo", .track = "Bags", .genres = {"Indie Pop", "Alternative", "Bedroom Pop"}});
    EXPECT_EQ(inspector.statusLabel()->text(), QStringLiteral("\u2729 Chilling \u00b7 Bags \u2014 Clairo \u2729"));
    EXPECT_EQ(inspector.counterLabel()->text(), QStringLiteral("28/100 characters"));
    ASSERT_EQ(inspector.chipButtons().size(), 3U);
    EXPECT_EQ(inspector.chipButtons()[0]->text(), QStringLiteral("\u2713 Indie Pop"));
    EXPECT_EQ(inspector.chipButtons()[1]->toolTip(),
              QStringLiteral("Add \u201CAlternative\u201D to the selected vibe"));
    save("live-preview-matching.png");

    // The keyboard adds "Alternative" to chill in one undoable step; the pane redraws with it mapped. A
    // mapped chip's click changes nothing.
    inspector.chipButtons()[1]->setFocus();
    QTest::keyClick(inspector.chipButtons()[1], Qt::Key_Space);
    EXPECT_EQ(editor.vibes().at(0).vibe.match, (std::vector<std::string>{"lofi", "indie pop", "Alternative"}));
    ASSERT_EQ(inspector.chipButtons().size(), 3U);
    EXPECT_EQ(inspector.chipButtons()[1]->text(), QStringLiteral("\u2713 Alternative"));
    EXPECT_EQ(inspector.focusWidget(), inspector.chipButtons()[1]) << "the keyboard stays on the genre";
    QTest::mouseClick(inspector.chipButtons()[0], Qt::LeftButton);
    EXPECT_EQ(stack.count(), 1);
}

TEST_F(LivePreviewInspectorTest, NothingPlayingAndNoGenres) {
    save("live-preview-nothing-playing.png");
    preview.setSelectedVibe(std::nullopt);
    preview.setPlaying({.artist = "Nils Frahm", .track = "Says", .genres = {}});
    EXPECT_TRUE(inspector.chipButtons().empty());
    // This configuration has no default vibe, so nothing applies to an artist without genres.
    EXPECT_EQ(inspector.statusLabel()->text(), QStringLiteral("(no vibe match)"));
    EXPECT_EQ(inspector.counterLabel()->text(), QStringLiteral("0/100 characters"));
}

/// The pane over a real engine whose player plays Justice (genres "Electronic" and "French House").
class EnginePreviewTest : private NotoFonts, public testing::EngineTest {};

TEST_F(EnginePreviewTest, TheEnginesTrackPreviewedFromTheEditorsDraft) {
    makeEngine({"T1"});
    startEngine();
    EngineConfigHolder holder(*engine);
    QUndoStack stack;
    VibesEditorModel editor(*timers);
    editor.setConfigHolder(&holder);
    editor.setUndoStack(&stack);
    ASSERT_TRUE(editor.load());
    LivePreviewModel preview(editor);
    feedLivePreview(*engine, preview);
    LivePreviewInspector inspector(preview);
    inspector.resize(380, 460);
    inspector.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&inspector));
    EXPECT_FALSE(preview.hasTrack());

    play("Justice", "Genesis");
    EXPECT_EQ(preview.result().genres, (std::vector<std::string>{"Electronic", "French House"}));
    EXPECT_EQ(preview.result().vibeName, "focus");
    EXPECT_EQ(inspector.statusLabel()->text(), QStringLiteral("Focus \u00b7 Genesis"));

    // "French House" goes to the selected vibe from its button; the engine gets it after the quiet period.
    preview.setSelectedVibe(editor.vibes().at(0).id);
    ASSERT_EQ(inspector.chipButtons().size(), 2U);
    QTest::mouseClick(inspector.chipButtons()[1], Qt::LeftButton);
    timers->advance(VibesEditorModel::kCommitDelay);
    settle();
    EXPECT_EQ(engine->config().vibes.at(0).match, (std::vector<std::string>{"electronic", "French House"}));
    EXPECT_EQ(inspector.chipButtons()[1]->toolTip(), QStringLiteral("Already in the selected vibe"));

    // The music stops: the placeholder.
    change(NowPlaying::notPlaying("paused", "Justice", "Genesis"));
    EXPECT_FALSE(preview.hasTrack());
}

} // namespace
} // namespace nimbrel
