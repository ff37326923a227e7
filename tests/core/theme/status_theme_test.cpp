#include "core/theme/status_theme.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/rendering/status_text.h"
#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

// The built-ins are found by their id, and a transform theme describes itself by its transform.
TEST(StatusTheme, BuiltInsAreFoundByID) {
    const std::vector<StatusTheme>& themes = StatusTheme::builtIns();
    EXPECT_EQ(StatusTheme::builtInIDs().size(), themes.size());
    for (const StatusTheme& theme : themes) {
        EXPECT_TRUE(theme.isBuiltIn());
        EXPECT_EQ(&StatusTheme::builtIn(theme.id), &theme);
        if (theme.transform != TextTransform::none) {
            EXPECT_EQ(theme.summary, theme.transform.summary()) << theme.id;
        }
    }
}

TEST(StatusTheme, ApplyFitsTheLimitAndProtectsTheDecoration) {
    const StatusTheme& dagger = StatusTheme::dagger();
    EXPECT_EQ(dagger.apply("Kerala", 100), "\u2020 Kerala \u2020");

    // A body one character too long loses two: one for the excess, one for the ellipsis.
    EXPECT_EQ(dagger.apply(std::string(97, 'b'), 100), "\u2020 " + std::string(95, 'b') + "\u2026 \u2020");

    // The cut never leaves white space before the ellipsis.
    EXPECT_EQ(dagger.apply(std::string(94, 'b') + "   cc", 100), "\u2020 " + std::string(94, 'b') + "\u2026 \u2020");

    // No room for any body: prefix and suffix meet.
    EXPECT_EQ(dagger.apply("body", 5), "\u2020  \u2020");
    // The decoration alone exceeds the limit: the final clamp cuts it.
    EXPECT_EQ(dagger.apply("body", 3), "\u2020 \u2026");
    EXPECT_EQ(dagger.apply("body", 0), "");
}

TEST(StatusTheme, ApplyTransformsBeforeMeasuring) {
    StatusTheme upper{"u", "U", "[", "]", TextTransform::alternatingCaps};
    // "ß" upper-cases to two characters, so the transformed body is what must fit.
    EXPECT_EQ(upper.apply("\u00DF", 4), "[SS]");
    // One character short: no room is left for a body and its ellipsis, so only the decoration stays.
    EXPECT_EQ(upper.apply("\u00DF", 3), "[]");
    EXPECT_EQ(upper.apply("\u00DF\u00DFx", 4), "[S\u2026]");
    // Without decoration only the final clamp applies.
    EXPECT_EQ(StatusTheme::alternatingCaps().apply("\u00DF\u00DF", 2), "S\u2026");
    // A decoration wider than the limit leaves only itself, clamped.
    StatusTheme wide{"wide", "Wide", std::string(60, '<'), std::string(60, '>')};
    EXPECT_EQ(wide.apply("body", StatusText::slackLimit), std::string(60, '<') + std::string(39, '>') + "\u2026");
}

TEST(StatusTheme, UniqueIDFromName) {
    const struct {
        const char* name;
        std::set<std::string, std::less<>> existing;
        const char* expected;
    } cases[] = {
        {"My Theme!!", {}, "my-theme"},
        {"My Theme!!", {"my-theme", "my-theme-2"}, "my-theme-3"},
        {"!!! ???", {}, "theme"},
        {"", {"theme"}, "theme-2"},
        {"  --Caf\u00E9 -- Noir-- ", {}, "caf\u00E9-noir"},
        {"Stra\u00DFe", {}, "stra\u00DFe"},
        {"\U0001F3B5 Beats \U0001F3B5", {}, "beats"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusTheme::uniqueID(c.name, c.existing), c.expected) << c.name;
    }
    EXPECT_EQ(StatusTheme::uniqueID(std::string(60, 'z'), {}), std::string(40, 'z'));
}

TEST(StatusTheme, DecodesWithDefaultsAndEncodesOnlyWhatIsSet) {
    const StatusTheme minimal = StatusTheme::fromJson(nlohmann::json{{"id", "mine"}, {"name", "Mine"}});
    EXPECT_EQ(minimal, (StatusTheme{"mine", "Mine", "", "", TextTransform::none, std::nullopt, ""}));
    EXPECT_EQ(minimal.toJson(), (nlohmann::json{{"id", "mine"}, {"name", "Mine"}}));

    const nlohmann::json full = {{"id", "x"},     {"name", "X"},          {"prefix", "<"},
                                 {"suffix", ">"}, {"transform", "zalgo"}, {"template", ""}};
    EXPECT_EQ(StatusTheme::fromJson(full), (StatusTheme{"x", "X", "<", ">", TextTransform::zalgo, "", ""}));
    EXPECT_EQ(StatusTheme::fromJson(full).toJson(), full);

    EXPECT_EQ(StatusTheme::fromJson(nlohmann::json{{"id", "x"}, {"name", "X"}, {"transform", "sparkle"}}).transform,
              TextTransform::none);
    const StatusTheme nulls =
        StatusTheme::fromJson(nlohmann::json{{"id", "x"}, {"name", "X"}, {"prefix", nullptr}, {"template", nullptr}});
    EXPECT_EQ(nulls.prefix, "");
    EXPECT_FALSE(nulls.templateText);
}

TEST(StatusTheme, DecodingErrorsNameTheKeyPath) {
    const struct {
        nlohmann::json json;
        const char* location;
    } cases[] = {
        {nlohmann::json{{"name", "X"}}, "custom_themes[3].id"},
        {nlohmann::json{{"id", 7}, {"name", "X"}}, "custom_themes[3].id"},
        {nlohmann::json{{"id", "x"}, {"name", "X"}, {"prefix", false}}, "custom_themes[3].prefix"},
        {nlohmann::json{{"id", "x"}, {"name", "X"}, {"transform", 1}}, "custom_themes[3].transform"},
        {nlohmann::json::array(), "custom_themes[3]"},
    };
    const JsonPath path = JsonPath().key("custom_themes").index(3);
    for (const auto& c : cases) {
        EXPECT_EQ(testing::decodeFailure([&] { StatusTheme::fromJson(c.json, path); }).location(), c.location)
            << c.json.dump();
    }
}

} // namespace
} // namespace nimbrel
