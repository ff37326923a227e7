#include "core/matching/track_title.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/matching/genre_query.h"

namespace nimbrel {
namespace {

struct TitleCase {
    std::string title;
    std::string expected;
};

void expectCleaned(const std::vector<TitleCase>& cases) {
    for (const TitleCase& c : cases) {
        EXPECT_EQ(TrackTitle::forLookup(c.title), c.expected) << "title: [" << c.title << "]";
    }
}

TEST(TrackTitleWords, SetsAreLowerCaseAndComplete) {
    EXPECT_EQ(TrackTitle::versionWords().size(), 21u);
    EXPECT_EQ(TrackTitle::featuringWords().size(), 4u);
    EXPECT_TRUE(TrackTitle::versionWords().contains("radio"));
    EXPECT_TRUE(TrackTitle::featuringWords().contains("with"));
    EXPECT_FALSE(TrackTitle::versionWords().contains("with"));
}

TEST(TrackTitleDescriptor, Cases) {
    struct Case {
        std::string text;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"feat. Someone", true},
        {"ft Someone", true},
        {"FEATURING Someone", true},
        {"with Someone", true},
        {"Dancing with Someone", false},
        {"2011 Remaster", true},
        {"Live at the Arena", true},
        {"Radio Edit", true},
        {"Mono Version", true},
        {"Extended Mix", true},
        {"Part 2", false},
        {"", false},
        {"...", false},
        {"Love Theme", false},
        {"Club-Mix", true},
        {"Remix (Club)", true},
        {"Delivery", false},
        {"Feat.", true},
        {"Live!", true},
        {"olive", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrackTitle::isDescriptor(c.text), c.expected) << "text: [" << c.text << "]";
    }
}

TEST(TrackTitleForLookup, DropsDescriptorGroups) {
    expectCleaned({
        {"Song (Remastered 2011)", "Song"},
        {"Song [Live]", "Song"},
        {"Song (feat. Someone)", "Song"},
        {"Song (with Someone)", "Song"},
        {"Song (Remastered 2011) [Live]", "Song"},
        {"(Live) Song", "Song"},
        {"Song (Live) Title", "Song Title"},
    });
}

TEST(TrackTitleForLookup, KeepsGroupsThatAreNotDescriptors) {
    expectCleaned({
        {"Song (Love Theme)", "Song (Love Theme)"},
        {"Song (Dancing with Someone)", "Song (Dancing with Someone)"},
        {"Song [Part 2]", "Song [Part 2]"},
        {"Song ()", "Song ()"},
    });
}

TEST(TrackTitleForLookup, KeptGroupTakesTheBracketsOfItsClosingCharacter) {
    expectCleaned({
        {"Song (Part 1] (Live)", "Song [Part 1]"},
        {"Song [Part 1)", "Song (Part 1)"},
    });
}

TEST(TrackTitleForLookup, NestedGroupsAreJudgedWhole) {
    expectCleaned({
        {"Song (Remix (Club))", "Song"},
        {"Song (Theme (Live))", "Song"},
        {"Song (Theme (Reprise Two))", "Song"},
        {"Song (Theme (Part Two))", "Song (Theme (Part Two))"},
        {"Song [Theme (Part Two)]", "Song [Theme (Part Two)]"},
    });
}

TEST(TrackTitleForLookup, UnbalancedBrackets) {
    expectCleaned({
        // An unclosed group gives back its text without the opening bracket.
        {"Song (Live", "Song Live"},
        {"Song (Theme (Live", "Song Theme (Live"},
        // A stray closing bracket is text, and so is everything bracketed after it.
        {"Song) (Live)", "Song) (Live)"},
        {"Song] [Remix] (feat. X)", "Song] [Remix] (feat. X)"},
        // Only a second opening bracket starts a group that is judged again.
        {"Song) ((Live)", "Song) ("},
    });
}

TEST(TrackTitleForLookup, CutsADescriptorAfterTheFirstDash) {
    expectCleaned({
        {"Song - Radio Edit", "Song"},
        {"Song - Part Two", "Song - Part Two"},
        {"Song - Live - Extra", "Song"},
        {"Song - Part Two - Live", "Song"},
        {"Song \u2013 Radio Edit", "Song \u2013 Radio Edit"},
        {"Song \u2014 Live", "Song \u2014 Live"},
        {"Song-Live", "Song-Live"},
        {"Song - 2011 Remaster (feat. X)", "Song"},
        {"Song (Live) - Radio Edit", "Song"},
    });
}

TEST(TrackTitleForLookup, CollapsesWhiteSpace) {
    expectCleaned({
        {"  Song   Title  ", "Song Title"},
        {"Song\tTitle\n", "Song Title"},
        {"Song\u00A0\u00A0Title", "Song Title"},
        {"", ""},
        {"   ", ""},
    });
}

TEST(TrackTitleForLookup, KeepsTitlesInOtherScripts) {
    expectCleaned({
        {"Caf\u00E9 del Mar (Remastered)", "Caf\u00E9 del Mar"},
        {"\u6771\u4EAC (Live)", "\u6771\u4EAC"},
        {"Song \U0001F525 [Radio Edit]", "Song \U0001F525"},
    });
}

TEST(GenreQuery, LookupTrack) {
    struct Case {
        std::optional<std::string> track;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {std::nullopt, std::nullopt}, {"(Live)", std::nullopt},           {"   ", std::nullopt},
        {"", std::nullopt},           {"Song (Remastered 2011)", "Song"}, {"Song - Part Two", "Song - Part Two"},
    };
    for (const Case& c : cases) {
        const GenreQuery query{"Artist", c.track};
        EXPECT_EQ(query.lookupTrack(), c.expected) << "track: [" << c.track.value_or("<absent>") << "]";
    }
}

} // namespace
} // namespace nimbrel
