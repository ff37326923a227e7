#include "core/matching/track_title.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/matching/genre_query.h"

namespace nimbrel {
namespace {

TEST(TrackTitleDescriptor, Cases) {
    struct Case {
        std::string text;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"feat. Someone", true}, {"FEATURING Someone", true},
        {"with Someone", true},  {"Dancing with Someone", false},
        {"2011 Remaster", true}, {"Radio Edit", true},
        {"Extended Mix", true},  {"Part 2", false},
        {"...", false},          {"Love Theme", false},
        {"Club-Mix", true},      {"Delivery", false},
        {"Feat.", true},         {"Live!", true},
        {"olive", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrackTitle::isDescriptor(c.text), c.expected) << "text: [" << c.text << "]";
    }
}

TEST(TrackTitleForLookup, Cases) {
    struct Case {
        std::string title;
        std::string expected;
    };
    const std::vector<Case> cases = {
        // Descriptor groups go, wherever they stand; other groups stay.
        {"Song (Remastered 2011) [Live]", "Song"},
        {"Song (feat. Someone)", "Song"},
        {"(Live) Song", "Song"},
        {"Song (Live) Title", "Song Title"},
        {"Song (Dancing with Someone)", "Song (Dancing with Someone)"},
        {"Song ()", "Song ()"},
        // A kept group takes the brackets of its closing character.
        {"Song (Part 1] (Live)", "Song [Part 1]"},
        {"Song [Part 1)", "Song (Part 1)"},
        // Nested groups are judged whole.
        {"Song (Remix (Club))", "Song"},
        {"Song (Theme (Reprise Two))", "Song"},
        {"Song (Theme (Part Two))", "Song (Theme (Part Two))"},
        {"Song [Theme (Part Two)]", "Song [Theme (Part Two)]"},
        // An unclosed group gives back its text without the opening bracket.
        {"Song (Live", "Song Live"},
        {"Song (Theme (Live", "Song Theme (Live"},
        // A stray closing bracket is text, and so is everything bracketed after it.
        {"Song] [Remix] (feat. X)", "Song] [Remix] (feat. X)"},
        // Only a second opening bracket starts a group that is judged again.
        {"Song) ((Live)", "Song) ("},
        // A descriptor after the first spaced hyphen is cut; other dashes are text.
        {"Song - Radio Edit", "Song"},
        {"Song - Part Two", "Song - Part Two"},
        {"Song - Part Two - Live", "Song"},
        {"Song \u2013 Radio Edit", "Song \u2013 Radio Edit"},
        {"Song-Live", "Song-Live"},
        {"Song (Live) - Radio Edit", "Song"},
        // White space collapses, in any script.
        {"  Song\t\u00A0Title\n", "Song Title"},
        {"   ", ""},
        {"\u6771\u4EAC (Live)", "\u6771\u4EAC"},
        {"Song \U0001F525 [Radio Edit]", "Song \U0001F525"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrackTitle::forLookup(c.title), c.expected) << "title: [" << c.title << "]";
    }
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
