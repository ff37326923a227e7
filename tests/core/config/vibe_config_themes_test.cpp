#include <gtest/gtest.h>

#include "core/config/vibe_config.h"

namespace nimbrel {
namespace {

StatusTheme custom(std::string id, std::optional<std::string> templateText = std::nullopt) {
    return StatusTheme{id, "Custom " + id, "<", ">", TextTransform::none, std::move(templateText)};
}

Vibe vibe(std::optional<std::string> themeID) {
    return Vibe{"v", "text", ":e:", {}, std::move(themeID)};
}

TEST(VibeConfigThemes, AllThemesAreTheBuiltInsThenTheCustomOnes) {
    VibeConfig config;
    config.customThemes = {custom("b"), custom("a"), custom("plain")};
    const std::vector<StatusTheme> all = config.allThemes();
    const std::vector<StatusTheme>& builtIns = StatusTheme::builtIns();
    ASSERT_EQ(all.size(), builtIns.size() + 3);
    EXPECT_TRUE(std::equal(builtIns.begin(), builtIns.end(), all.begin()));
    EXPECT_EQ(all[builtIns.size()].id, "b");
    EXPECT_EQ(all[builtIns.size() + 1].id, "a");
    EXPECT_EQ(all[builtIns.size() + 2], custom("plain"));
}

TEST(VibeConfigThemes, LookupIsExactAndBuiltInsWin) {
    VibeConfig config;
    config.customThemes = {custom("mine"), custom("shrug"), custom("mine", "second")};
    EXPECT_EQ(config.theme("shrug"), StatusTheme::shrug());
    EXPECT_EQ(config.theme("mine"), custom("mine"));
    EXPECT_EQ(config.theme("Mine"), std::nullopt);
    EXPECT_EQ(config.theme(""), std::nullopt);

    config.themeID = "mine";
    EXPECT_EQ(config.defaultTheme(), custom("mine"));
    config.themeID = "leet";
    EXPECT_EQ(config.defaultTheme(), StatusTheme::leet());
    // Only a value built in memory can name a missing theme; decoding never yields one.
    config.themeID = "gone";
    EXPECT_EQ(config.defaultTheme(), StatusTheme::plain());
}

TEST(VibeConfigThemes, ResolvedThemeAndTemplate) {
    VibeConfig config;
    config.statusFormat = "{vibe} \u00B7 {track}";
    config.customThemes = {custom("templated", "{track} only"), custom("emptyTemplate", ""), custom("plainish")};

    struct Row {
        const char* defaultThemeID;
        std::optional<std::string> vibeThemeID;
        StatusTheme expectedTheme;
        const char* expectedTemplate;
    };
    const Row rows[] = {
        {"leet", std::nullopt, StatusTheme::leet(), "{vibe} \u00B7 {track}"},
        {"leet", "emo", StatusTheme::emo(), "{vibe} \u00B7 {track}"},
        {"leet", "templated", custom("templated", "{track} only"), "{track} only"},
        {"templated", std::nullopt, custom("templated", "{track} only"), "{track} only"},
        {"templated", "plainish", custom("plainish"), "{vibe} \u00B7 {track}"},
        // An empty template is a template: it wins over the default one.
        {"plain", "emptyTemplate", custom("emptyTemplate", ""), ""},
        // A vibe theme that is gone falls back to the default theme, and a missing default to plain.
        {"templated", "gone", custom("templated", "{track} only"), "{track} only"},
        {"gone", "gone too", StatusTheme::plain(), "{vibe} \u00B7 {track}"},
    };
    for (const Row& row : rows) {
        config.themeID = row.defaultThemeID;
        const Vibe subject = vibe(row.vibeThemeID);
        EXPECT_EQ(config.resolvedTheme(subject), row.expectedTheme)
            << row.defaultThemeID << " / " << row.vibeThemeID.value_or("none");
        EXPECT_EQ(config.resolvedTemplate(subject), row.expectedTemplate)
            << row.defaultThemeID << " / " << row.vibeThemeID.value_or("none");
    }
}

} // namespace
} // namespace nimbrel
