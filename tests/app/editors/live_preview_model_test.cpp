#include "app/editors/live_preview_model.h"

#include <QSignalSpy>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/theme/status_theme.h"
#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

Vibe makeVibe(std::string name, std::vector<std::string> match, std::string emoji = ":headphones:") {
    std::string text = "text of " + name;
    return Vibe{.name = std::move(name),
                .statusText = std::move(text),
                .statusEmoji = std::move(emoji),
                .match = std::move(match),
                .themeID = {}};
}

class LivePreviewModelTest : public ::testing::Test, protected testing::EditorParts {
protected:
    void SetUp() override {
        holder.current.vibes = {makeVibe("chill", {"lofi", "indie pop"}), makeVibe("focus", {"ambient", "rock"}),
                                makeVibe("party", {"house"}, ":partyparrot:")};
        holder.current.defaultVibe = makeVibe("listening", {});
        holder.current.statusFormat = "{vibe} \u00b7 {track} \u2014 {artist}";
        ASSERT_TRUE(load());
    }

    QUuid idOf(const std::string& name) const {
        for (const IdentifiedVibe& entry : editor.vibes()) {
            if (entry.vibe.name == name) {
                return entry.id;
            }
        }
        ADD_FAILURE() << "no vibe " << name;
        return {};
    }
    void rename(const std::string& from, const std::string& to) {
        Vibe vibe = editor.vibe(idOf(from))->vibe;
        vibe.name = to;
        ASSERT_TRUE(editor.setVibe(idOf(from), vibe));
    }
    const std::vector<std::string>& keywordsOf(const std::string& name) const {
        return editor.vibe(idOf(name))->vibe.match;
    }
    void play(std::vector<std::string> genres, std::string artist = "Clairo", std::string track = "Bags") {
        preview.setPlaying({.artist = std::move(artist), .track = std::move(track), .genres = std::move(genres)});
    }

    LivePreviewModel preview{editor};
};

TEST_F(LivePreviewModelTest, ShowsTheVibeTheStatusAndWhy) {
    EXPECT_FALSE(preview.hasTrack());
    EXPECT_EQ(preview.result(), PreviewResult{});

    QSignalSpy changed(&preview, &LivePreviewModel::changed);
    play({"Pop", "Indie Pop"});
    EXPECT_EQ(changed.count(), 1);
    const PreviewResult& result = preview.result();
    EXPECT_TRUE(preview.hasTrack());
    EXPECT_EQ(result.vibeName, "chill");
    EXPECT_EQ(result.hit, "indie pop");
    EXPECT_EQ(result.status, "text of chill \u00b7 Bags \u2014 Clairo");
    EXPECT_EQ(preview.emojiShown(), "\U0001F3A7");
    EXPECT_TRUE(preview.emojiIsGlyph());
    EXPECT_EQ(preview.statusLength(), 29);
    EXPECT_EQ(LivePreviewModel::lengthCounter(preview.statusLength()), "29/100 characters");
    EXPECT_FALSE(preview.isOverLimit());
    EXPECT_EQ(preview.whyText(),
              "Matched on \u201Cindie pop\u201D \u2014 the first group in your list to match this track.");
    EXPECT_EQ(preview.themeText(), "Theme: Plain \u2014 your default.");

    // The same inputs again change nothing.
    play({"Pop", "Indie Pop"});
    EXPECT_EQ(changed.count(), 1);

    // A theme of the vibe's own (a draft edit, not committed yet) applies at once; one that is gone is not
    // "set on this vibe".
    Vibe chill = editor.vibe(idOf("chill"))->vibe;
    chill.themeID = "leet";
    ASSERT_TRUE(editor.setVibe(idOf("chill"), chill));
    EXPECT_EQ(preview.result().themeName, StatusTheme::leet().name);
    EXPECT_EQ(preview.themeText(), "Theme: " + StatusTheme::leet().name + " \u2014 set on this vibe.");
    chill.themeID = "deleted-long-ago";
    ASSERT_TRUE(editor.setVibe(idOf("chill"), chill));
    EXPECT_EQ(preview.themeText(), "Theme: Plain \u2014 your default.");

    // Nothing plays any more: the empty preview.
    play({}, "");
    EXPECT_EQ(preview.result(), PreviewResult{});
    EXPECT_TRUE(preview.chips().empty());
}

TEST_F(LivePreviewModelTest, DefaultVibeAndNoVibeAtAll) {
    play({"Classical"}, "Arvo P\u00e4rt", "Spiegel im Spiegel");
    EXPECT_EQ(preview.result().vibeName, "listening");
    EXPECT_FALSE(preview.result().hit);
    EXPECT_EQ(preview.whyText(), LivePreviewModel::kDefaultVibeUsed);

    editor.setUseDefaultVibe(false);
    EXPECT_EQ(preview.result().vibeName, "");
    EXPECT_EQ(preview.result().status, "");
    EXPECT_EQ(preview.statusShown(), LivePreviewModel::kNoVibeMatch);
    EXPECT_EQ(preview.whyText(), LivePreviewModel::kNoVibeAtAll);
    EXPECT_EQ(preview.themeText(), "");

    // No genres: the artist's name alone can still match, and the hit says so. Without a default vibe the
    // genre section promises none.
    play({}, "Lofi Girl", "Snowman");
    EXPECT_EQ(preview.noGenresText(), LivePreviewModel::kNoGenres);
    editor.setUseDefaultVibe(true);
    EXPECT_EQ(preview.noGenresText(), "No genre came back for this artist \u2014 matching on the artist name only. "
                                      "Your default vibe covers it if nothing matches.");
    EXPECT_EQ(preview.result().vibeName, "chill");
    EXPECT_EQ(preview.result().hit, "name:lofi");
}

TEST_F(LivePreviewModelTest, FollowsTheDraftAndFallsBackWhileItIsInvalid) {
    play({"Indie Pop"});
    ASSERT_EQ(preview.result().vibeName, "chill");

    // Renaming the matched vibe shows at once, before any commit.
    rename("chill", "  mellow ");
    EXPECT_EQ(preview.result().vibeName, "mellow");
    EXPECT_EQ(preview.result().status, "text of chill \u00b7 Bags \u2014 Clairo")
        << "the status text was not edited, only the name";
    EXPECT_TRUE(editor.hasPendingCommit());
    EXPECT_EQ(holder.applied, 0);

    // Two vibes of one name: the configuration in force (still "chill") is previewed.
    rename("focus", "mellow");
    ASSERT_TRUE(editor.validationError());
    EXPECT_EQ(preview.result().vibeName, "chill");

    // Fixed: the draft again, and once committed the engine agrees.
    rename("mellow", "deep focus");
    EXPECT_EQ(preview.result().vibeName, "mellow");
    timers.advance(VibesEditorModel::kCommitDelay);
    EXPECT_EQ(holder.applied, 1);
    EXPECT_EQ(holder.current.vibes[0].name, "mellow");
    EXPECT_EQ(preview.result().vibeName, "mellow");

    // A change of the configuration in force from elsewhere shows while the draft is invalid.
    rename("deep focus", "mellow");
    holder.current.vibes[0].name = "reloaded";
    preview.refresh();
    EXPECT_EQ(preview.result().vibeName, "reloaded");
}

TEST_F(LivePreviewModelTest, ChipStatesFollowTheSelectedVibe) {
    play({"Indie Pop", "Rock"});
    struct Case {
        std::optional<std::string> selected;
        std::vector<GenreChip> chips;
        std::string caption;
    };
    const std::vector<Case> cases = {
        {std::nullopt, {{"Indie Pop", false, false, "Indie Pop"}, {"Rock", false, false, "Rock"}}, ""},
        {"chill",
         {{"Indie Pop", true, true, "Already in the selected vibe"},
          {"Rock", false, true, "Add \u201CRock\u201D to the selected vibe"}},
         "\u00b7 click to add"},
        {"party",
         {{"Indie Pop", false, true, "Add \u201CIndie Pop\u201D to the selected vibe"},
          {"Rock", false, true, "Add \u201CRock\u201D to the selected vibe"}},
         "\u00b7 click to add"},
    };
    for (const Case& c : cases) {
        preview.setSelectedVibe(c.selected ? std::optional(idOf(*c.selected)) : std::nullopt);
        EXPECT_EQ(preview.chips(), c.chips) << c.selected.value_or("none");
        EXPECT_EQ(preview.genresCaption(), c.caption) << c.selected.value_or("none");
    }

    // The selected vibe deleted: as if none were selected.
    preview.setSelectedVibe(idOf("party"));
    editor.deleteVibe(idOf("party"));
    EXPECT_FALSE(preview.selectedVibe());
    EXPECT_FALSE(preview.chips()[0].isAddable);
    EXPECT_EQ(preview.chips()[1].toolTip, "Rock");

    // No genres: no chips and no caption, even with a vibe selected.
    preview.setSelectedVibe(idOf("chill"));
    play({});
    EXPECT_TRUE(preview.chips().empty());
    EXPECT_EQ(preview.genresCaption(), "");
}

TEST_F(LivePreviewModelTest, AChipMapsItsGenreAndOneUndoPutsItBack) {
    play({"Rock", "Electronic"});
    ASSERT_EQ(preview.result().vibeName, "focus");

    // Nothing selected, or the selected vibe already has it: a click does nothing.
    EXPECT_FALSE(preview.activateChip("Rock"));
    preview.setSelectedVibe(idOf("focus"));
    EXPECT_FALSE(preview.activateChip("Rock"));
    EXPECT_FALSE(preview.activateChip("Jazz")) << "not one of the chips";
    EXPECT_FALSE(preview.activateChip("rock")) << "chips are named as the engine found them";
    EXPECT_EQ(stack.count(), 0);

    // Mapping "Rock" to chill takes it from focus: the chip, the match and the preview follow at once.
    preview.setSelectedVibe(idOf("chill"));
    ASSERT_TRUE(preview.activateChip("Rock"));
    EXPECT_EQ(keywordsOf("chill"), (std::vector<std::string>{"lofi", "indie pop", "Rock"}));
    EXPECT_EQ(keywordsOf("focus"), (std::vector<std::string>{"ambient"}));
    EXPECT_TRUE(preview.chips()[0].isMapped);
    EXPECT_EQ(preview.result().vibeName, "chill");
    EXPECT_EQ(preview.result().hit, "Rock");
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Map Genre"));

    stack.undo();
    EXPECT_EQ(keywordsOf("chill"), (std::vector<std::string>{"lofi", "indie pop"}));
    EXPECT_EQ(keywordsOf("focus"), (std::vector<std::string>{"ambient", "rock"}));
    EXPECT_FALSE(preview.chips()[0].isMapped);
    EXPECT_EQ(preview.result().vibeName, "focus");
}

TEST_F(LivePreviewModelTest, EmojiOfTheWorkspace) {
    play({"House"}, "Disclosure", "Latch");
    ASSERT_EQ(preview.result().vibeName, "party");
    EXPECT_EQ(preview.emojiShown(), ":partyparrot:");
    EXPECT_FALSE(preview.emojiIsGlyph());
    EXPECT_EQ(preview.emojiToolTip(), ":partyparrot:");
    preview.setWorkspaceEmoji({{"partyparrot", "https://emoji.example/partyparrot.gif"}});
    EXPECT_EQ(preview.emojiToolTip(), ":partyparrot: \u2014 A custom emoji of your workspace");
}

} // namespace
} // namespace nimbrel
