#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rendering/slack_emoji.h"

namespace nimbrel {

/// What the emoji field and its picker show: the line that judges the field's value, and the picker's
/// entries for a search and a tab. Choosing anything stores its colon form (":name:"), as Slack keeps it.
///
/// "No workspace connected" is an empty optional; a connected workspace without custom emoji is an empty
/// map, which still lets the field tell the user that a shortcode will not render.
struct EmojiChoice final {
    EmojiChoice() = delete;

    static constexpr std::string_view kPrompt = "Pick a Slack emoji, e.g. :headphones:";
    static constexpr std::string_view kChooseEmoji = "Choose emoji";
    /// The picker button's face while the field is empty: a dashed face.
    static constexpr std::string_view kEmptyFace = "\U0001FAE5";
    static constexpr std::string_view kRendersInSlack = "Renders in Slack \u2713";
    static constexpr std::string_view kCustomInWorkspace = "Custom emoji in your workspace \u2713";
    static constexpr std::string_view kWontRender = "Slack won\u2019t render";
    static constexpr std::string_view kInYourWorkspace = "in your workspace.";
    static constexpr std::string_view kConnectToVerify =
        "Connect Slack to verify this renders \u2014 sent as-is for now.";
    static constexpr std::string_view kYourWorkspace = "Your workspace";
    static constexpr std::string_view kCustom = "Custom";
    static constexpr std::string_view kNoMatchOpen = "No emoji match \u201C";
    static constexpr std::string_view kNoMatchClose = "\u201D";
    /// Workspaces can have thousands of custom emoji; beyond this many the picker asks for a search.
    static constexpr std::size_t kWorkspaceCap = 200;

    /// The line under the emoji field.
    struct StatusLine {
        enum class Kind { none, ok, warning };

        std::string text;
        Kind kind = Kind::none;

        friend bool operator==(const StatusLine&, const StatusLine&) = default;
    };

    /// What the picker shows for a search in one tab.
    struct Content {
        /// The tab's curated entries that match, in the catalogue's order.
        std::vector<SlackEmoji::Entry> entries;
        /// Whether a workspace is connected and has custom emoji, so its section is shown at all.
        bool hasWorkspaceSection = false;
        /// The workspace's matching custom emoji names (without colons), sorted, at most `kWorkspaceCap`.
        std::vector<std::string> workspaceNames;
        /// How many custom emoji matched before the cap.
        std::size_t workspaceMatchCount = 0;
        /// The search as a colon form, offered as "Custom :name:" when it could be a shortcode.
        std::optional<std::string> custom;
        /// "No emoji match “…”" when neither the tab nor the workspace has a match; empty otherwise.
        std::string noMatch;

        /// The label of the custom line, e.g. "Custom :party_blob:"; empty without one.
        std::string customLabel() const;
        /// The note under a capped workspace section; empty when every match is shown.
        std::string moreNote() const;
        /// What Return in the search field picks: the first entry, else the first custom emoji, else the
        /// custom line.
        std::optional<std::string> firstChoice() const;
    };

    /// The judgement of the field's value, after normalising it.
    static StatusLine statusLine(std::string_view value, const std::optional<SlackEmoji::Workspace>& workspace);
    /// The picker's entries for a search typed in the picker and the chosen tab.
    static Content content(std::string_view query, SlackEmoji::Category category,
                           const std::optional<SlackEmoji::Workspace>& workspace);
    /// The search as the picker reads it: trimmed, lower case, without the colons one types around a
    /// shortcode (":par" searches for "par").
    static std::string searchTerm(std::string_view query);
    /// The colon form of a custom emoji name.
    static std::string colonized(std::string_view name);
    /// The tab that holds the value's curated entry, if any: where the picker opens.
    static std::optional<SlackEmoji::Category> categoryOf(std::string_view value);
};

} // namespace nimbrel
