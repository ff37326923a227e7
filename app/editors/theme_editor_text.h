#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/theme/status_theme.h"
#include "core/theme/text_transform.h"

namespace nimbrel {

class VibesEditorModel;

/// The Theme screen's texts and decisions: which theme a route shows and whether it can be edited, the
/// warning about decoration characters Slack's font may lack, the before-and-after preview, and the preview
/// a theme gets in lists. Stateless.
struct ThemeEditorText final {
    ThemeEditorText() = delete;

    static constexpr std::string_view kNameTitle = "Name";
    static constexpr std::string_view kNamePlaceholder = "e.g. My theme";
    static constexpr std::string_view kDecorationTitle = "Decoration";
    static constexpr std::string_view kPrefixTitle = "Prefix";
    static constexpr std::string_view kSuffixTitle = "Suffix";
    static constexpr std::string_view kDecorationHelp = "Wrapped around the finished text. It\u2019s protected from "
                                                        "trimming \u2014 the track title is shortened first to make "
                                                        "room.";
    static constexpr std::string_view kFontWarningLead = "Slack may show ";
    static constexpr std::string_view kFontWarningTail = " as empty boxes.";
    static constexpr std::string_view kLettersTitle = "Letters";
    static constexpr std::string_view kLettersHelp = "Runs over the text itself, before the decoration is added "
                                                     "\u2014 so your decoration is never transformed.";
    static constexpr std::string_view kTemplateTitle = "Template";
    static constexpr std::string_view kOwnTemplateSwitch = "Use a template just for this theme";
    static constexpr std::string_view kOwnTemplateHelp = "Turn this on and the format follows the theme \u2014 so "
                                                         "a vibe that switches theme switches format with it.";
    static constexpr std::string_view kUsesDefaultTemplate = "Uses your default template.";
    static constexpr std::string_view kPreviewTitle = "Preview";
    static constexpr std::string_view kBeforeTitle = "Before";
    static constexpr std::string_view kAfterTitle = "After";
    static constexpr std::string_view kDeleteButton = "Delete this theme";
    static constexpr std::string_view kDeleteNote = "Deleting a theme also clears it from any vibe using it "
                                                    "\u2014 those go back to your default theme.";
    static constexpr std::string_view kBuiltInNote = "Duplicate it to make a version you can change.";
    static constexpr std::string_view kDuplicateButton = "Duplicate";
    static constexpr std::string_view kNotFound = "Theme not found";
    /// The text theme previews in lists decorate, and how long they may get.
    static constexpr std::string_view kListSample = "GSD mode";
    static constexpr int kListPreviewLimit = 40;

    /// What a theme route can show.
    enum class Kind { custom, builtIn, missing };
    struct Shown {
        Kind kind = Kind::missing;
        /// The theme; empty when missing.
        StatusTheme theme;
    };
    /// The theme with this id among the editor's themes; a built-in id always shows the built-in theme.
    static Shown lookup(const VibesEditorModel& editor, std::string_view id);

    /// The warning under the decoration fields: which characters may show as boxes, and why.
    struct FontWarning {
        /// "Slack may show “Ｈ”, “ｉ” as empty boxes."
        std::string caption;
        /// The first character's reason as a sentence.
        std::string reason;

        friend bool operator==(const FontWarning&, const FontWarning&) = default;
    };
    /// None when Slack's font covers every scalar of the prefix and the suffix.
    static std::optional<FontWarning> fontWarning(std::string_view prefix, std::string_view suffix);

    /// The undecorated sample status: the theme's template (its own, else `defaultTemplate`, else "{vibe}")
    /// filled with a sample vibe and track.
    static std::string previewBefore(const StatusTheme& theme, std::string_view defaultTemplate);
    /// `previewBefore` decorated by the theme within Slack's limit.
    static std::string previewAfter(const StatusTheme& theme, std::string_view defaultTemplate);
    /// "GSD mode" decorated within 40 characters, for lists of themes.
    static std::string listPreview(const StatusTheme& theme);

    /// The theme with its own template switched on (starting from `startingTemplate`) or off.
    static StatusTheme withOwnTemplate(StatusTheme theme, bool on, std::string_view startingTemplate);
};

} // namespace nimbrel
