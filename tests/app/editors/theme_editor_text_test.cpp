#include "app/editors/theme_editor_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

using Kind = ThemeEditorText::Kind;

TEST(ThemeEditorTextTest, TheFontWarningNamesEachRiskyScalarOnceWithTheFirstOnesReason) {
    constexpr std::string_view kFullwidthReason =
        "It\u2019s a halfwidth/fullwidth form \u2014 use the ordinary-width character instead.";
    constexpr std::string_view kWebFontReason = "Slack renders status text in a Latin webfont that may not cover it.";
    struct Case {
        const char* what;
        std::string prefix;
        std::string suffix;
        std::optional<ThemeEditorText::FontWarning> warning;
    };
    const std::vector<Case> cases{
        {"fullwidth prefix", "\uFF28\uFF49 ", "",
         ThemeEditorText::FontWarning{"Slack may show \u201C\uFF28\u201D, \u201C\uFF49\u201D as empty boxes.",
                                      std::string(kFullwidthReason)}},
        {"an emoji and its presentation selector", "\U0001F399\uFE0F ", " \u2600\uFE0F",
         ThemeEditorText::FontWarning{"Slack may show \u201C\U0001F399\u201D, \u201C\uFE0F\u201D as empty boxes.",
                                      std::string(kWebFontReason)}},
        {"only the suffix is risky", "xX_", "\uFF01",
         ThemeEditorText::FontWarning{"Slack may show \u201C\uFF01\u201D as empty boxes.",
                                      std::string(kFullwidthReason)}},
        {"the cat's own decoration", std::string(StatusTheme::devoDJ().prefix), StatusTheme::devoDJ().suffix, {}},
        {"nothing at all", "", "", {}},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(ThemeEditorText::fontWarning(each.prefix, each.suffix), each.warning) << each.what;
    }
}

TEST(ThemeEditorTextTest, PreviewsDecorateASampleStatus) {
    StatusTheme theme{.id = "x", .name = "X", .prefix = "xX_", .suffix = "_Xx", .transform = TextTransform::leet};
    const std::string format = "{vibe} \u00b7 {artist}";
    EXPECT_EQ(ThemeEditorText::previewBefore(theme, format), "GSD mode \u00b7 The Paper Lanterns");
    EXPECT_EQ(ThemeEditorText::previewAfter(theme, format), "xX_G5D m0d3 \u00b7 7h3 P4p3r L4n73rn5_Xx");
    EXPECT_EQ(ThemeEditorText::previewBefore(theme, ""), "GSD mode") << "an empty template is the vibe alone";
    theme.templateText = "{track} {emoji}";
    EXPECT_EQ(ThemeEditorText::previewBefore(theme, format), "Night Drive :headphones:") << "its own template";

    EXPECT_EQ(ThemeEditorText::listPreview(StatusTheme::sparkles()), "\u2727 (^_^)/ GSD mode \\(^_^) \u2727");
    theme.prefix = std::string(30, '>');
    EXPECT_EQ(ThemeEditorText::listPreview(theme), std::string(30, '>') + "G5D m0\u2026_Xx")
        << "40 characters: the body gives way to the decoration";
}

TEST(ThemeEditorTextTest, SwitchingAThemesOwnTemplate) {
    const StatusTheme plain{.id = "x", .name = "X", .prefix = "", .suffix = ""};
    EXPECT_EQ(ThemeEditorText::withOwnTemplate(plain, true, "{vibe}!").templateText, "{vibe}!");
    StatusTheme own = plain;
    own.templateText = "{track}";
    EXPECT_EQ(ThemeEditorText::withOwnTemplate(own, true, "{vibe}!").templateText, "{track}") << "kept";
    EXPECT_EQ(ThemeEditorText::withOwnTemplate(own, false, "{vibe}!").templateText, std::nullopt);
}

TEST(ThemeEditorTextTest, WhatARouteShows) {
    testing::EditorParts parts;
    parts.holder.current.customThemes = {
        StatusTheme{.id = "mine", .name = "Mine", .prefix = "", .suffix = ""},
        StatusTheme{.id = "dagger", .name = "Not the dagger", .prefix = "", .suffix = ""}};
    ASSERT_TRUE(parts.load());
    VibesEditorModel& editor = parts.editor;

    EXPECT_EQ(ThemeEditorText::lookup(editor, "mine").kind, Kind::custom);
    EXPECT_EQ(ThemeEditorText::lookup(editor, "mine").theme.name, "Mine");
    EXPECT_EQ(ThemeEditorText::lookup(editor, "plain").kind, Kind::builtIn);
    const ThemeEditorText::Shown dagger = ThemeEditorText::lookup(editor, "dagger");
    EXPECT_EQ(dagger.kind, Kind::builtIn) << "a custom theme reusing a built-in id is not editable";
    EXPECT_EQ(dagger.theme.name, "Dagger");
    EXPECT_EQ(ThemeEditorText::lookup(editor, "never").kind, Kind::missing);

    editor.deleteTheme("mine");
    EXPECT_EQ(ThemeEditorText::lookup(editor, "mine").kind, Kind::missing) << "Theme not found";
}

} // namespace
} // namespace nimbrel
