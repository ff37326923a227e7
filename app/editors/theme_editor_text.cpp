#include "app/editors/theme_editor_text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/editors/sample_track.h"
#include "app/editors/vibes_editor_model.h"
#include "core/config/vibe.h"
#include "core/rendering/slack_font_safety.h"
#include "core/rendering/status_text.h"
#include "core/text/casing.h"
#include "core/text/utf8.h"

namespace nimbrel {
namespace {

std::string templateOf(const StatusTheme& theme, std::string_view defaultTemplate) {
    const std::string_view chosen = theme.templateText ? std::string_view(*theme.templateText) : defaultTemplate;
    // An empty template stands for the vibe alone, as rendering has it.
    return std::string(chosen.empty() ? StatusText::kVibePlaceholder : chosen);
}

/// "it’s …" as a sentence: "It’s ….".
std::string sentence(std::string_view fragment) {
    std::size_t offset = 0;
    const char32_t first = Utf8::decodeNext(fragment, offset);
    std::string firstLetter;
    Utf8::append(firstLetter, first);
    return Casing::uppercased(firstLetter) + std::string(fragment.substr(offset)) + ".";
}

} // namespace

ThemeEditorText::Shown ThemeEditorText::lookup(const VibesEditorModel& editor, std::string_view id) {
    const std::vector<StatusTheme> all = editor.allThemes();
    const auto found = std::find_if(all.begin(), all.end(), [id](const StatusTheme& theme) { return theme.id == id; });
    if (found == all.end()) {
        return {};
    }
    return {.kind = found->isBuiltIn() ? Kind::builtIn : Kind::custom, .theme = *found};
}

std::optional<ThemeEditorText::FontWarning> ThemeEditorText::fontWarning(std::string_view prefix,
                                                                         std::string_view suffix) {
    const std::vector<char32_t> unsafe = SlackFontSafety::unsafeScalars(std::string(prefix) + std::string(suffix));
    if (unsafe.empty()) {
        return std::nullopt;
    }
    std::string caption(kFontWarningLead);
    for (std::size_t i = 0; i < unsafe.size(); ++i) {
        if (i > 0) {
            caption += ", ";
        }
        caption += "\u201C";
        Utf8::append(caption, unsafe[i]);
        caption += "\u201D";
    }
    caption += kFontWarningTail;
    return FontWarning{.caption = std::move(caption), .reason = sentence(SlackFontSafety::reason(unsafe.front()))};
}

std::string ThemeEditorText::previewBefore(const StatusTheme& theme, std::string_view defaultTemplate) {
    const Vibe vibe{.name = "gsd",
                    .statusText = std::string(SampleTrack::kVibeText),
                    .statusEmoji = std::string(SampleTrack::kVibeEmoji),
                    .match = {},
                    .themeID = theme.id};
    return StatusText::filled(templateOf(theme, defaultTemplate), vibe, SampleTrack::kArtist, SampleTrack::kTitle);
}

std::string ThemeEditorText::previewAfter(const StatusTheme& theme, std::string_view defaultTemplate) {
    return theme.apply(previewBefore(theme, defaultTemplate), StatusText::slackLimit);
}

std::string ThemeEditorText::listPreview(const StatusTheme& theme) {
    return theme.apply(kListSample, kListPreviewLimit);
}

StatusTheme ThemeEditorText::withOwnTemplate(StatusTheme theme, bool on, std::string_view startingTemplate) {
    if (!on) {
        theme.templateText.reset();
    } else if (!theme.templateText) {
        theme.templateText = std::string(startingTemplate);
    }
    return theme;
}

} // namespace nimbrel
