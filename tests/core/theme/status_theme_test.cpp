#include "core/theme/status_theme.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

TEST(StatusTheme, BuiltInsInOrderWithTheirDecorationLengths) {
    struct Row {
        const char* id;
        const char* name;
        std::size_t decoration;
        TextTransform transform;
    };
    const Row rows[] = {
        {"plain", "Plain", 0, TextTransform::none},
        {"msn_nick", "MSN Nick", 10, TextTransform::none},
        {"alternating_caps", "AlTeRnAtInG", 0, TextTransform::alternatingCaps},
        {"leet", "l337", 0, TextTransform::leet},
        {"zalgo", "Glitch (Zalgo)", 0, TextTransform::zalgo},
        {"vaporwave", "Vaporwave", 0, TextTransform::vaporwave},
        {"devo_dj", "Devo DJ", 13, TextTransform::none},
        {"sparkles", "Sparkles", 18, TextTransform::none},
        {"sparkle_throw", "Sparkle Throw", 12, TextTransform::none},
        {"twinkle", "Twinkle", 6, TextTransform::none},
        {"emo", "Emo", 10, TextTransform::none},
        {"scene", "Scene", 6, TextTransform::none},
        {"dagger", "Dagger", 4, TextTransform::none},
        {"despair", "Despair", 6, TextTransform::none},
        {"shrug", "Shrug", 10, TextTransform::none},
    };
    const std::vector<StatusTheme>& themes = StatusTheme::builtIns();
    ASSERT_EQ(themes.size(), std::size(rows));
    for (std::size_t i = 0; i < themes.size(); ++i) {
        const StatusTheme& theme = themes[i];
        EXPECT_EQ(theme.id, rows[i].id);
        EXPECT_EQ(theme.name, rows[i].name);
        EXPECT_EQ(theme.decorationCount(), rows[i].decoration) << theme.id;
        EXPECT_EQ(theme.transform, rows[i].transform) << theme.id;
        EXPECT_FALSE(theme.templateText) << theme.id;
        EXPECT_FALSE(theme.summary.empty()) << theme.id;
        EXPECT_TRUE(theme.isBuiltIn());
        EXPECT_EQ(&StatusTheme::builtIn(theme.id), &theme);
        if (theme.transform != TextTransform::none) {
            EXPECT_EQ(theme.summary, theme.transform.summary()) << theme.id;
        }
    }
    EXPECT_EQ(StatusTheme::builtInIDs().size(), 15u);
    EXPECT_FALSE(StatusTheme::builtInIDs().contains("msn"));
}

TEST(StatusTheme, AccessorsAndExactDecorations) {
    EXPECT_EQ(StatusTheme::plain().id, "plain");
    EXPECT_EQ(StatusTheme::shrug().id, "shrug");
    EXPECT_EQ(StatusTheme::sparkleThrow().id, "sparkle_throw");
    EXPECT_EQ(StatusTheme::devoCat, "\u14DA\u208D^\u2022\u1D25\u2022^\u208E");
    EXPECT_EQ(Graphemes::count(StatusTheme::devoCat), 8u);
    EXPECT_EQ(StatusTheme::devoDJ().prefix, std::string(StatusTheme::devoCat) + " \u266A ");
    EXPECT_EQ(StatusTheme::sparkles().suffix, " \\(^_^) \u2727");
    EXPECT_EQ(StatusTheme::shrug().suffix, " \u00AF\\_(\u30C4)_/\u00AF");
    EXPECT_EQ(StatusTheme::msnNick().summary,
              "The 2003 display-name frame: \u00A4\u00BA\u00B0~ your status ~\u00B0\u00BA\u00A4.");
}

TEST(StatusTheme, ApplyFitsTheLimitAndProtectsTheDecoration) {
    const StatusTheme& dagger = StatusTheme::dagger();
    EXPECT_EQ(dagger.apply("Kerala", 100), "\u2020 Kerala \u2020");

    // A body one character too long loses two: one for the excess, one for the ellipsis.
    const std::string body(97, 'b');
    const std::string decorated = dagger.apply(body, 100);
    EXPECT_EQ(decorated, "\u2020 " + std::string(95, 'b') + "\u2026 \u2020");
    EXPECT_EQ(Graphemes::count(decorated), 100u);

    // The cut never leaves white space before the ellipsis.
    const std::string spaced = std::string(94, 'b') + "   cc";
    EXPECT_EQ(dagger.apply(spaced, 100), "\u2020 " + std::string(94, 'b') + "\u2026 \u2020");

    // No room for any body: prefix and suffix meet.
    EXPECT_EQ(dagger.apply("body", 5), "\u2020  \u2020");
    EXPECT_EQ(dagger.apply("body", 4), "\u2020  \u2020");
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
    EXPECT_EQ(StatusTheme::leet().apply("best", 100), "8357");
}

TEST(StatusTheme, HugeDecorationLeavesOnlyTheClampedDecoration) {
    StatusTheme wide{"wide", "Wide", std::string(60, '<'), std::string(60, '>')};
    const std::string result = wide.apply("body", StatusText::slackLimit);
    EXPECT_EQ(result, std::string(60, '<') + std::string(39, '>') + "\u2026");
}

TEST(StatusTheme, UniqueIDFromName) {
    struct Case {
        const char* name;
        std::set<std::string, std::less<>> existing;
        const char* expected;
    };
    const Case cases[] = {
        {"My Theme!!", {}, "my-theme"},
        {"My Theme!!", {"my-theme", "my-theme-2"}, "my-theme-3"},
        {"!!! ???", {}, "theme"},
        {"", {"theme"}, "theme-2"},
        {"Plain", {"plain"}, "plain-2"},
        {"  --Caf\u00E9 -- Noir-- ", {}, "caf\u00E9-noir"},
        {"\u00C9T\u00C9 2003", {}, "\u00E9t\u00E9-2003"},
        {"Stra\u00DFe", {}, "stra\u00DFe"},
        {"\U0001F3B5 Beats \U0001F3B5", {}, "beats"},
        {"ab", {"ab", "ab-2", "ab-3", "ab-4"}, "ab-5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusTheme::uniqueID(c.name, c.existing), c.expected) << c.name;
    }
    const std::string longName(60, 'z');
    EXPECT_EQ(StatusTheme::uniqueID(longName, {}), std::string(40, 'z'));
}

TEST(StatusTheme, DecodesWithDefaultsAndEncodesOnlyWhatIsSet) {
    const StatusTheme minimal = StatusTheme::fromJson(nlohmann::json{{"id", "mine"}, {"name", "Mine"}});
    EXPECT_EQ(minimal, (StatusTheme{"mine", "Mine", "", "", TextTransform::none, std::nullopt, ""}));
    EXPECT_EQ(minimal.toJson(), (nlohmann::json{{"id", "mine"}, {"name", "Mine"}}));

    const nlohmann::json full = {{"id", "x"},     {"name", "X"},          {"prefix", "<"},
                                 {"suffix", ">"}, {"transform", "zalgo"}, {"template", ""}};
    const StatusTheme decoded = StatusTheme::fromJson(full);
    EXPECT_EQ(decoded.transform, TextTransform::zalgo);
    EXPECT_EQ(decoded.templateText, "");
    EXPECT_EQ(decoded.toJson(), full);

    const StatusTheme unknownTransform =
        StatusTheme::fromJson(nlohmann::json{{"id", "x"}, {"name", "X"}, {"transform", "sparkle"}});
    EXPECT_EQ(unknownTransform.transform, TextTransform::none);
    const StatusTheme nulls =
        StatusTheme::fromJson(nlohmann::json{{"id", "x"}, {"name", "X"}, {"prefix", nullptr}, {"template", nullptr}});
    EXPECT_EQ(nulls.prefix, "");
    EXPECT_FALSE(nulls.templateText);
}

TEST(StatusTheme, DecodingErrorsNameTheKeyPath) {
    struct Case {
        nlohmann::json json;
        const char* location;
    };
    const Case cases[] = {
        {nlohmann::json{{"name", "X"}}, "custom_themes[3].id"},
        {nlohmann::json{{"id", "x"}}, "custom_themes[3].name"},
        {nlohmann::json{{"id", 7}, {"name", "X"}}, "custom_themes[3].id"},
        {nlohmann::json{{"id", "x"}, {"name", "X"}, {"prefix", false}}, "custom_themes[3].prefix"},
        {nlohmann::json{{"id", "x"}, {"name", "X"}, {"transform", 1}}, "custom_themes[3].transform"},
        {nlohmann::json::array(), "custom_themes[3]"},
    };
    const JsonPath path = JsonPath().key("custom_themes").index(3);
    for (const Case& c : cases) {
        try {
            StatusTheme::fromJson(c.json, path);
            ADD_FAILURE() << "decoded " << c.json.dump();
        } catch (const DecodeError& error) {
            EXPECT_EQ(error.location(), c.location) << c.json.dump();
            EXPECT_FALSE(error.reason().empty());
        }
    }
}

} // namespace
} // namespace nimbrel
