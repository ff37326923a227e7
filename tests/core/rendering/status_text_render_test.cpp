#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/vibe_config.h"
#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"

namespace nimbrel {
namespace {

const std::string kEllipsis = "\u2026";

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out.append(piece);
    }
    return out;
}

Vibe beats() {
    return Vibe{"hip-hop", "Beats and bars", ":microphone:", {"rap"}, std::nullopt};
}

VibeConfig configWithFormat(std::string format, std::string themeID = "plain") {
    VibeConfig config;
    config.statusFormat = std::move(format);
    config.themeID = std::move(themeID);
    return config;
}

// The limit of a hundred itself is checked through render below.
TEST(StatusText, ClampCutsByCharacter) {
    EXPECT_EQ(StatusText::clamp("abc", 0), "");
    EXPECT_EQ(StatusText::clamp("abc", -5), "");
    EXPECT_EQ(StatusText::clamp("abc", 1), "\u2026");
    EXPECT_EQ(StatusText::clamp("abc", 3), "abc");
    // Clusters are never split: a skin-toned emoji counts once and is kept or dropped whole.
    EXPECT_EQ(StatusText::clamp("\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD", 2),
              "\U0001F44D\U0001F3FD\u2026");
    EXPECT_EQ(StatusText::clamp("\U0001F44D\U0001F3FDab", 3), "\U0001F44D\U0001F3FDab");
}

TEST(StatusTextFilled, PlaceholdersInOrder) {
    struct Case {
        std::string name;
        std::string templateText;
        std::string statusText;
        std::string artist;
        std::string track;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"every placeholder", "{emoji} {vibe}: {track} ({artist})", "V", "A", "T", ":microphone: V: T (A)"},
        {"repeated", "{track}/{track}", "V", "A", "T", "T/T"},
        {"case-sensitive tokens", "{Vibe} {TRACK} {other}", "V", "A", "T", "{Vibe} {TRACK} {other}"},
        {"status text receives the track", "{vibe}", "Now: {track}", "A", "T", "Now: T"},
        {"artist receives the emoji", "{artist}", "V", "DJ {emoji}", "T", "DJ :microphone:"},
        {"track is not re-read as a vibe", "{track}", "V", "A", "{vibe}", "{vibe}"},
        {"empty template", "", "V", "A", "T", ""},
        {"broken braces", "{vibe {track}}", "V", "A", "T", "{vibe T}"},
    };
    for (const Case& c : cases) {
        Vibe vibe = beats();
        vibe.statusText = c.statusText;
        EXPECT_EQ(StatusText::filled(c.templateText, vibe, c.artist, c.track), c.expected) << c.name;
    }
}

TEST(StatusTextRender, TemplatesAndThemes) {
    EXPECT_EQ(StatusText::render(configWithFormat(""), beats(), "Ames", "Song"), "Beats and bars");
    EXPECT_EQ(StatusText::render(configWithFormat("Just music", "dagger"), beats(), "Ames", "Song"),
              "\u2020 Just music \u2020");
    EXPECT_EQ(StatusText::render(configWithFormat("{vibe}", "leet"), beats(), "Ames", "Song"), "83475 4nd 84r5");

    // A theme's own template replaces the configuration's, even when it is empty.
    VibeConfig config = configWithFormat("{vibe} \u00B7 {artist}");
    config.customThemes.push_back(StatusTheme{"mine", "Mine", "<", ">", TextTransform::none, "{track}!", ""});
    config.customThemes.push_back(StatusTheme{"blank", "Blank", "", "", TextTransform::none, "", ""});
    Vibe vibe = beats();
    vibe.themeID = "mine";
    EXPECT_EQ(StatusText::render(config, vibe, "Ames", "Song"), "<Song!>");
    vibe.themeID = "blank";
    EXPECT_EQ(StatusText::render(config, vibe, "Ames", "Song"), "Beats and bars");
}

TEST(StatusTextRender, NothingToRenderStillGivesText) {
    Vibe empty{"", "", "", {}, std::nullopt};
    EXPECT_EQ(StatusText::render(configWithFormat(""), empty, "", ""), "");
    EXPECT_EQ(StatusText::render(configWithFormat("{track}{artist}", "scene"), empty, "", ""), "xX__Xx");
}

TEST(StatusTextRender, TheTrackGivesWayFirstAndTheLimitHolds) {
    const std::string v80(80, 'v');
    const std::string thumb = "\U0001F44D\U0001F3FD";
    const std::string mixedHundred =
        repeat(thumb, 50) + repeat("\U0001F1EF\U0001F1F5", 25) + repeat("e\u0301\u0323", 25);
    struct Case {
        const char* name;
        std::string format;
        std::string theme;
        std::string statusText;
        std::string track;
        std::string expected;
    };
    const Case cases[] = {
        {"30 too many, taken from the track", "{vibe} {track}", "plain", std::string(69, 'v'),
         std::string(59, 't') + "T", std::string(69, 'v') + " " + std::string(29, 't') + kEllipsis},
        {"every use of the track gives way", "{vibe}|{track}|{track}", "plain", std::string(28, 'v'),
         std::string(50, 't'),
         std::string(28, 'v') + "|" + std::string(34, 't') + kEllipsis + "|" + std::string(34, 't') + kEllipsis},
        {"the decoration stays whole", "{vibe} {track}", "dagger", std::string(120, 'v'), "0123456789",
         "\u2020 " + std::string(95, 'v') + kEllipsis + " \u2020"},
        {"nor can an empty track", "{vibe}{track}", "plain", std::string(120, 'v'), "",
         std::string(99, 'v') + kEllipsis},
        // 80 + 1 + 30 = 111: the title keeps 18 characters, the 18th is a space that is dropped.
        {"no white space before the ellipsis", "{vibe} {track}", "plain", v80,
         std::string(17, 'a') + "  " + std::string(11, 'b'), v80 + " " + std::string(17, 'a') + kEllipsis},
        {"exactly a hundred", "{vibe}", "plain", std::string(100, 'x'), "T", std::string(100, 'x')},
        {"a hundred and one", "{vibe}", "plain", std::string(101, 'x'), "T", std::string(99, 'x') + kEllipsis},
        {"clusters, not bytes", "{vibe}", "plain", mixedHundred, "T", mixedHundred},
        {"cut between clusters", "{vibe} {track}", "plain", v80, repeat(thumb, 30),
         v80 + " " + repeat(thumb, 18) + kEllipsis},
    };
    for (const Case& c : cases) {
        Vibe vibe = beats();
        vibe.statusText = c.statusText;
        const std::string rendered = StatusText::render(configWithFormat(c.format, c.theme), vibe, "A", c.track);
        EXPECT_EQ(rendered, c.expected) << c.name;
        EXPECT_LE(Graphemes::count(rendered), 100u) << c.name;
    }
}

TEST(StatusTextRender, DecorationOfAHundredOrMoreLeavesOnlyTheDecoration) {
    VibeConfig config = configWithFormat("{vibe}", "huge");
    config.customThemes.push_back(
        StatusTheme{"huge", "Huge", std::string(60, '<'), std::string(40, '>'), TextTransform::none, std::nullopt, ""});
    EXPECT_EQ(StatusText::render(config, beats(), "A", "T"), std::string(60, '<') + std::string(40, '>'));

    config.customThemes[0].suffix = std::string(45, '>');
    EXPECT_EQ(StatusText::render(config, beats(), "A", "T"), std::string(60, '<') + std::string(39, '>') + kEllipsis);
}

// Characters the generator builds texts from: letters, spaces, punctuation, emoji with and without
// skin tones, flags, a ZWJ family, letters with combining marks, CJK and a fullwidth letter. "ß" is
// left out on purpose: upper-casing it gives two letters, which the limit survives but which lets the
// body's tail, not the track, give way.
// clang-format off
const std::vector<std::string> kPieces = {
    "a", "B", "z", "0", " ", " ", "-", "\u00B7", "\u2014", "\U0001F525", "\U0001F44D\U0001F3FD", "\U0001F1EF\U0001F1F5",
    "\U0001F468\u200D\U0001F469\u200D\U0001F467", "e\u0301", "o\u0308\u0323", "\u6771", "\uFF21", "\u2026", "\t"};
// clang-format on

struct Generator {
    std::mt19937 random;

    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); }
    bool chance(std::size_t percent) { return below(100) < percent; }

    std::string text(std::size_t maxLength) {
        std::string out;
        const std::size_t n = below(maxLength + 1);
        for (std::size_t i = 0; i < n; ++i) {
            out.append(kPieces[below(kPieces.size())]);
        }
        return out;
    }

    std::string templateText() {
        if (chance(33)) {
            return chance(50) ? "" : text(12); // no placeholder at all
        }
        static const std::vector<std::string> kTokens = {"{vibe}",  "{artist}", "{track}", "{emoji}",
                                                         "{track}", "{other}",  "{"};
        std::string out;
        const std::size_t parts = 1 + below(6);
        for (std::size_t i = 0; i < parts; ++i) {
            out.append(chance(60) ? kTokens[below(kTokens.size())] : text(6));
        }
        return out;
    }
};

TEST(StatusTextRenderGenerated, InvariantsHold) {
    Generator generator{std::mt19937(20240611)};
    // Every built-in theme, and custom ones with random decorations and transforms.
    std::vector<StatusTheme> themes = StatusTheme::builtIns();
    for (std::size_t i = 0; i < 12; ++i) {
        const std::size_t longest = i < 3 ? 70 : 12; // a few leave almost no room for the body
        const std::string id = "custom-" + std::to_string(i);
        themes.push_back(StatusTheme{id, id, generator.text(longest), generator.text(longest),
                                     TextTransform::allCases()[generator.below(TextTransform::allCases().size())],
                                     std::nullopt, ""});
    }
    std::size_t trackShortened = 0;
    std::size_t decorationProtected = 0;

    for (int round = 0; round < 1500; ++round) {
        const StatusTheme& theme = themes[static_cast<std::size_t>(round) % themes.size()];
        VibeConfig config;
        config.statusFormat = generator.templateText();
        if (!theme.isBuiltIn()) {
            config.customThemes.push_back(theme);
        }
        const Vibe vibe{"v", generator.text(generator.chance(30) ? 110 : 25), ":zap:", {}, theme.id};
        const std::string artist = generator.text(generator.chance(20) ? 90 : 20);
        const std::string track = generator.text(generator.chance(50) ? 140 : 30);
        const std::string output = StatusText::render(config, vibe, artist, track);
        const std::string describe = "theme " + theme.id + ", template [" + config.statusFormat + "], status text [" +
                                     vibe.statusText + "], artist [" + artist + "], track [" + track + "] -> [" +
                                     output + "]";

        // Never more than Slack's limit.
        ASSERT_LE(Graphemes::count(output), 100u) << describe;

        const std::size_t decoration = theme.decorationCount();
        if (decoration < 100) {
            // The decoration fits within the limit, so it is never cut.
            ASSERT_TRUE(output.starts_with(theme.prefix)) << describe;
            ASSERT_TRUE(output.ends_with(theme.suffix)) << describe;
            if (decoration > 0) {
                ++decorationProtected;
            }
        } else {
            ASSERT_EQ(output, StatusText::clamp(theme.prefix + theme.suffix, 100)) << describe;
        }

        // The track gives way first: when shortening the title alone can make the body fit, the rest of the
        // body is kept whole and the title keeps as many characters as fit, without trailing white space.
        const std::string effectiveTemplate = config.statusFormat.empty() ? "{vibe}" : config.statusFormat;
        const std::size_t bodyLimit = decoration >= 99 ? 1 : 100 - decoration;
        const bool placeholdersOnlyInTemplate =
            vibe.statusText.find('{') == std::string::npos && artist.find('{') == std::string::npos;
        if (decoration > 98 || !placeholdersOnlyInTemplate || effectiveTemplate.find("{track}") == std::string::npos) {
            continue;
        }
        const std::string fullBody = StatusText::filled(effectiveTemplate, vibe, artist, track);
        if (Graphemes::count(fullBody) <= bodyLimit) {
            ASSERT_EQ(output, theme.prefix + theme.transform.apply(fullBody) + theme.suffix) << describe;
            continue;
        }
        // The longest title prefix whose body fits.
        const std::size_t trackLength = Graphemes::count(track);
        std::optional<std::size_t> keep;
        for (std::size_t m = trackLength; m-- > 0;) {
            const std::string candidate(Graphemes::prefix(track, m));
            if (Graphemes::count(StatusText::filled(effectiveTemplate, vibe, artist, candidate + kEllipsis)) <=
                bodyLimit) {
                keep = m;
                break;
            }
        }
        if (!keep || *keep == 0) {
            continue; // the title cannot absorb the excess on its own
        }
        std::string kept(Graphemes::prefix(track, *keep));
        while (!kept.empty() && UnicodeProperties::isWhitespace(Graphemes::last(kept))) {
            kept.resize(kept.size() - Graphemes::last(kept).size());
        }
        const std::string shortBody = StatusText::filled(effectiveTemplate, vibe, artist, kept + kEllipsis);
        const std::string transformed = theme.transform.apply(shortBody);
        if (Graphemes::count(transformed) != Graphemes::count(shortBody)) {
            continue; // a transform that changes the length may cut the tail instead
        }
        ASSERT_EQ(output, theme.prefix + transformed + theme.suffix) << describe;
        ++trackShortened;
    }
    // The generator must actually reach the interesting cases.
    EXPECT_GT(trackShortened, 50u);
    EXPECT_GT(decorationProtected, 300u);
}

} // namespace
} // namespace nimbrel
