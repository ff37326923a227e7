#include "app/editors/genre_map_model.h"

#include <QSignalSpy>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

using testing::makeVibe;

class GenreMapModelTest : public ::testing::Test, protected testing::EditorParts {
protected:
    void SetUp() override {
        holder.current.vibes = {makeVibe("chill", {"lofi", "pop"}), makeVibe("focus", {"ambient", "Indie Pop"}),
                                makeVibe("party", {"house"})};
        holder.current.defaultVibe = makeVibe("listening", {});
        ASSERT_TRUE(load());
    }

    QUuid idAt(std::size_t position) const { return editor.vibes().at(position).id; }
    const GenreMapModel::Row& row(const std::string& genre) const {
        for (const GenreMapModel::Row& each : map.allRows()) {
            if (each.genre == genre) {
                return each;
            }
        }
        throw std::runtime_error("no row " + genre);
    }
    void editVibe(std::size_t position, const std::function<void(Vibe&)>& change) {
        Vibe vibe = editor.vibes().at(position).vibe;
        change(vibe);
        ASSERT_TRUE(editor.setVibe(idAt(position), vibe));
    }

    GenreMapModel map{editor};
};

TEST_F(GenreMapModelTest, WhereEachGenreLandsAndWhy) {
    struct Case {
        std::string genre;
        std::string landing;
        std::optional<std::size_t> vibe;
        std::string explanation;
    };
    const std::vector<Case> cases = {
        {"Indie Pop", "chill", 0,
         "\u201C"
         "focus\u201D has this keyword, but \u201C"
         "chill\u201D matches \u201Cpop\u201D first \u2014 it sits higher in the list."},
        {"Ambient", "focus", 1, ""},
        {"House", "party", 2, ""},
        {"Blues", "falling through to \u201Clistening\u201D", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.genre);
        const GenreMapModel::Row& landed = row(c.genre);
        EXPECT_EQ(landed.landing, c.landing);
        EXPECT_EQ(landed.landingVibe, c.vibe ? std::optional(idAt(*c.vibe)) : std::nullopt);
        EXPECT_EQ(landed.mapped, c.vibe.has_value());
        EXPECT_EQ(landed.shadowExplanation, c.explanation);
        EXPECT_FALSE(landed.observedOnly);
    }
    EXPECT_EQ(map.allRows().size(), 65U);

    // The draft counts at once, long before it is committed: a renamed vibe, and no default vibe.
    QSignalSpy changes(&map, &GenreMapModel::changed);
    editVibe(0, [](Vibe& vibe) { vibe.name = "mellow"; });
    EXPECT_EQ(row("Indie Pop").landing, "mellow");
    EXPECT_NE(row("Indie Pop").shadowExplanation.find("\u201Cmellow\u201D matches"), std::string::npos);
    editor.setUseDefaultVibe(false);
    EXPECT_EQ(row("Blues").landing, "no vibe");
    EXPECT_EQ(changes.count(), 2);
    // Moving the keyword's vibe to the top ends the shadow.
    editor.moveVibes({1}, 0);
    EXPECT_EQ(row("Indie Pop").landing, "focus");
    EXPECT_EQ(row("Indie Pop").landingVibe, idAt(0));
    EXPECT_EQ(row("Indie Pop").shadowExplanation, "");
}

TEST_F(GenreMapModelTest, GenresSeenInUseGetRowsOfTheirOwn) {
    QSignalSpy changes(&map, &GenreMapModel::changed);
    map.setObservedGenres({" Shoegaze ", "rock", "shoegaze", "Pop", ""});
    EXPECT_EQ(changes.count(), 1);
    ASSERT_EQ(map.allRows().size(), 66U);
    EXPECT_TRUE(row("Shoegaze").observedOnly);
    EXPECT_FALSE(row("Rock").observedOnly);
    EXPECT_FALSE(row("Pop").observedOnly);
    EXPECT_EQ(row("Shoegaze").landing, "falling through to \u201Clistening\u201D");
    map.setObservedGenres({" Shoegaze ", "rock", "shoegaze", "Pop", ""});
    EXPECT_EQ(changes.count(), 1) << "the same genres change nothing";
}

TEST_F(GenreMapModelTest, FilterUnmappedOnlyAndCount) {
    EXPECT_EQ(map.countText(), "65 genres");
    map.setFilter(" POP ");
    EXPECT_EQ(map.countText(), "11 of 65 genres");
    EXPECT_EQ(map.shownRows().front()->genre, "Afro-Pop");
    EXPECT_EQ(map.emptyText(), "");
    map.setUnmappedOnly(true);
    EXPECT_EQ(map.countText(), "0 of 65 genres") << "\u201Cpop\u201D catches them all";
    EXPECT_EQ(map.emptyText(), "No genre matches \u201CPOP\u201D.");
    map.setFilter("");
    // Eleven genres with "pop", "Ambient" and "House" are caught.
    EXPECT_EQ(map.countText(), "52 of 65 genres");
    for (const GenreMapModel::Row* shown : map.shownRows()) {
        EXPECT_FALSE(shown->mapped) << shown->genre;
    }

    EXPECT_EQ(GenreMapModel::countText(1, 1, false), "1 genre");
}

TEST_F(GenreMapModelTest, AssigningIsOneUndoableStep) {
    std::vector<GenreMapModel::MenuEntry> entries = map.menuEntries("Indie Pop");
    ASSERT_EQ(entries.size(), 4U);
    EXPECT_EQ(entries[0], (GenreMapModel::MenuEntry{"chill", idAt(0), true}));
    EXPECT_EQ(entries[3], (GenreMapModel::MenuEntry{"Nothing (use the default vibe)", std::nullopt, false}));
    EXPECT_TRUE(map.menuEntries("Blues").back().checked);

    EXPECT_TRUE(map.assign("Blues", idAt(2)));
    EXPECT_EQ(editor.vibes()[2].vibe.match, (std::vector<std::string>{"house", "Blues"}));
    EXPECT_EQ(row("Blues").landing, "party");
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Map Genre"));
    EXPECT_FALSE(map.assign("Blues", idAt(2))) << "already there";
    EXPECT_FALSE(map.assign("Polka", idAt(2))) << "not a genre of the map";
    EXPECT_FALSE(map.assign("Blues", QUuid::createUuid())) << "no such vibe";
    stack.undo();
    EXPECT_EQ(row("Blues").landing, "falling through to \u201Clistening\u201D");

    // Unmapping takes the keyword from its vibe; a genre caught only inside a longer keyword stays caught.
    EXPECT_TRUE(map.assign("Ambient", std::nullopt));
    EXPECT_EQ(editor.vibes()[1].vibe.match, (std::vector<std::string>{"Indie Pop"}));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Unmap Genre"));
    EXPECT_FALSE(map.assign("Teen Pop", std::nullopt));
    EXPECT_EQ(row("Teen Pop").landing, "chill");
    EXPECT_EQ(stack.count(), 1);
    // Assigning "Indie Pop" to the vibe that already has it changes nothing; "chill" still wins.
    EXPECT_FALSE(map.assign("Indie Pop", idAt(1)));
    EXPECT_EQ(row("Indie Pop").landing, "chill");
}

TEST_F(GenreMapModelTest, AnInvalidDraftLandsAsTheConfigurationInForce) {
    editVibe(0, [](Vibe& vibe) { vibe.match.push_back("blues"); });
    EXPECT_EQ(row("Blues").landing, "chill");
    editVibe(2, [](Vibe& vibe) { vibe.name = "chill"; });
    ASSERT_FALSE(editor.makeConfiguration().has_value());
    EXPECT_EQ(row("Blues").landing, "falling through to \u201Clistening\u201D");
    EXPECT_EQ(row("House").landing, "party");
    EXPECT_EQ(row("House").landingVibe, idAt(2));
    editVibe(2, [](Vibe& vibe) { vibe.name = "party"; });
    EXPECT_EQ(row("Blues").landing, "chill");

    // Without any configuration nothing lands anywhere.
    editor.setConfigHolder(nullptr);
    map.setObservedGenres({"Polka"});
    EXPECT_EQ(row("Polka").landing, "no vibe");
}

} // namespace
} // namespace nimbrel
