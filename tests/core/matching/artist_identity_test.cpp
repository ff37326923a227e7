#include "core/matching/artist_identity.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(ArtistIdentityNormalized, Cases) {
    struct Case {
        std::string name;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"  THE   Lanterns ", "lanterns"},
        {"Ames & Brook", "ames and brook"},
        {"Ames&Brook", "ames and brook"},
        {"Caf\u00E9 Orbit", "cafe orbit"},
        {"CAFE\u0301 ORBIT", "cafe orbit"},
        {"The", "the"},
        {"The The", "the"},
        {" \t\n", ""},
        {"&", "and"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArtistIdentity::normalized(c.name), c.expected) << "name: [" << c.name << "]";
    }
}

TEST(ArtistIdentityMatches, Cases) {
    struct Case {
        std::string queried;
        std::string returned;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"The Lanterns", "Lanterns", true},
        {"Lanterns", "The Lanterns", true},
        {"Ames & Brook", "Ames and Brook", true},
        {"Ames and Brook", "AMES & BROOK", true},
        {"Caf\u00E9 Orbit", "Cafe Orbit", true},
        {"Theory", "ory", false},
        {"Lanterns", "Lantern", false},
        {"", "", false},
        {"   ", "   ", false},
        {"", "Anyone", false},
        {"Ames  Brook", "Ames Brook", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArtistIdentity::matches(c.queried, c.returned), c.expected)
            << "queried: [" << c.queried << "] returned: [" << c.returned << "]";
    }
}

} // namespace
} // namespace nimbrel
