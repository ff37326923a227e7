#include "core/matching/vibe_engine.h"

#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
#include "core/text/casing.h"

namespace nimbrel {
namespace {

Vibe vibe(std::string name, std::vector<std::string> keywords) {
    return Vibe{name, name + " text", ":" + name + ":", std::move(keywords), std::nullopt};
}

VibeConfig configWith(std::vector<Vibe> vibes, std::optional<Vibe> defaultVibe = std::nullopt) {
    VibeConfig config;
    config.vibes = std::move(vibes);
    config.defaultVibe = std::move(defaultVibe);
    return config;
}

// The name of the chosen vibe and its hit, or "none".
std::string outcome(const std::optional<VibeResolution>& resolution) {
    if (!resolution) {
        return "none";
    }
    return resolution->vibe.name + " / " + resolution->hit.value_or("-");
}

TEST(GenreTag, HashSeesAbsentWeightsAsDistinct) {
    const std::unordered_set<GenreTag> tags = {{"Rock", std::nullopt}, {"Rock", 0}, {"Rock", 0}, {"Pop", 1}};
    EXPECT_EQ(tags.size(), 3u);
    EXPECT_TRUE(tags.contains(GenreTag{"Rock", std::nullopt}));
}

// Tags without weights take the first matching vibe; weighted tags add up per vibe.
TEST(VibeEngineResolve, FirstMatchAndWeightedMethods) {
    const Vibe dance = vibe("A", {"dance"});
    const Vibe pop = vibe("B", {"pop"});
    const Vibe rock = vibe("A", {"rock"});
    const Vibe multi = vibe("M", {"indie", "folk"});
    const Vibe listening = vibe("L", {});
    struct Case {
        std::string name;
        VibeConfig config;
        std::vector<GenreTag> tags;
        std::string artist;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"list order beats tag order", configWith({dance, pop}), {{"Pop", {}}, {"Dance", {}}}, "", "A / dance"},
        {"keyword capitals kept", configWith({vibe("H", {"Hip-Hop"})}), {{"Hip-Hop/Rap", {}}}, "", "H / Hip-Hop"},
        {"substring of a longer word", configWith({dance}), {{"Modern Dancehall", {}}}, "", "A / dance"},
        {"keyword spans two tags",
         configWith({vibe("D", {"drum bass"})}),
         {{"Drum", {}}, {"Bass", {}}},
         "",
         "D / drum bass"},
        {"keyword order", configWith({vibe("R", {"art", "rock"})}), {{"Prog-Rock/Art Rock", {}}}, "", "R / art"},
        {"empty keyword never matches", configWith({vibe("E", {""}), pop}), {{"Pop", {}}}, "", "B / pop"},
        {"empty keyword with no tags", configWith({vibe("E", {""})}, listening), {}, "", "L / -"},
        {"artist when no tag matches",
         configWith({dance, vibe("C", {"Orchestra"})}),
         {{"Jazz", {}}},
         "The Night ORCHESTRA",
         "C / name:Orchestra"},
        {"artist name with no tags", configWith({dance, pop}), {}, "Popstars", "B / name:pop"},
        {"default without a match", configWith({dance}, listening), {{"Jazz", {}}}, "Nobody", "L / -"},
        {"no match and no default", configWith({dance}), {{"Jazz", {}}}, "Nobody", "none"},
        {"empty vibe list without a default", configWith({}), {{"Dance", {}}}, "Dance", "none"},
        {"unicode lower-casing",
         configWith({vibe("M", {"m\u00DASICA"})}),
         {{"M\u00FAsica Mexicana", {}}},
         "",
         "M / m\u00DASICA"},
        {"highest score wins", configWith({rock, pop}), {{"Rock", 3}, {"Pop", 5}}, "", "B / pop"},
        {"tie goes to the earlier vibe", configWith({rock, pop}), {{"Rock", 4}, {"Pop", 4}}, "", "A / rock"},
        {"scores <= 0 go to the artist",
         configWith({rock, pop}, listening),
         {{"Rock", 0}, {"Pop", -2}},
         "Pop Idols",
         "B / name:pop"},
        {"no first-match retry", configWith({rock, pop}, listening), {{"Rock", -1}, {"Pop", 0}}, "", "L / -"},
        {"weightless tag counts 0", configWith({multi}), {{"Indie", {}}, {"Folk", 2}}, "", "M / folk"},
        {"equal weights: earliest tag sets the hit", configWith({multi}), {{"Folk", 2}, {"Indie", 2}}, "", "M / folk"},
        {"strictly greater weight replaces the hit", configWith({multi}), {{"Folk", 1}, {"Indie", 2}}, "", "M / indie"},
        {"one keyword per tag",
         configWith({vibe("F", {"indie", "indie folk"}), vibe("G", {"folk"})}),
         {{"Indie Folk", 1}},
         "",
         "F / indie"},
        {"sum across tags", configWith({rock, pop}), {{"Rock", 2}, {"Hard Rock", 2}, {"Pop", 3}}, "", "A / rock"},
        {"huge weights do not wrap round",
         configWith({rock, pop}),
         {{"Rock", std::numeric_limits<std::int64_t>::max()}, {"Hard Rock", 10}, {"Pop", 5}},
         "",
         "A / rock"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(VibeEngine::resolve(c.config, c.tags, c.artist)), c.expected) << c.name;
    }
}

TEST(VibeEngineResolve, GenreNamesAndSingleGenresResolveToAFullCopyOfTheVibe) {
    Vibe themed = vibe("A", {"dance"});
    themed.themeID = "dagger";
    const VibeConfig config = configWith({themed, vibe("B", {"pop"})}, vibe("L", {}));
    const std::optional<VibeResolution> resolution =
        VibeEngine::resolve(config, std::vector<std::string>{"Pop", "Dance"}, "");
    ASSERT_TRUE(resolution);
    EXPECT_EQ(resolution->vibe, themed);
    EXPECT_EQ(outcome(VibeEngine::resolve(config, std::vector<std::string>{"Synth", "Pop"}, "")), "B / pop");
    EXPECT_EQ(outcome(VibeEngine::resolve(configWith({themed}), std::vector<std::string>{}, "Dancer")),
              "A / name:dance");
    EXPECT_EQ(outcome(VibeEngine::vibe("K-Pop", config)), "B / pop");
    EXPECT_EQ(outcome(VibeEngine::vibe("", config)), "L / -");
    EXPECT_EQ(outcome(VibeEngine::vibe("Jazz", configWith({themed}))), "none");
}

// Vibes are tried in order, so a keyword that contains an earlier vibe's keyword can never win: the
// shipped document must not carry one.
TEST(BuiltInVibes, EveryKeywordLandsOnItsOwnVibe) {
    const std::optional<VibeConfig> config = builtInConfig();
    ASSERT_TRUE(config);
    for (const Vibe& vibe : config->vibes) {
        for (const std::string& keyword : vibe.match) {
            for (const std::string& genre : {keyword, Casing::uppercased(keyword)}) {
                const std::optional<VibeResolution> landed = VibeEngine::vibe(genre, *config);
                ASSERT_TRUE(landed) << genre;
                EXPECT_EQ(landed->vibe.name, vibe.name)
                    << "\"" << genre << "\" of " << vibe.name << " is shadowed by \"" << landed->hit.value_or("")
                    << "\" of " << landed->vibe.name;
            }
        }
    }
}

} // namespace
} // namespace nimbrel
