#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Nimbrel's small, fixed knowledge of Slack emoji: the glyphs of 156 standard shortcodes, and the curated
/// entries the emoji picker offers. A workspace's custom emoji are not in here; callers pass them in.
struct NIMBREL_CORE_EXPORT SlackEmoji final {
    SlackEmoji() = delete;

    /// A tab of the emoji picker. The raw value is also the label shown.
    class NIMBREL_CORE_EXPORT Category {
    public:
        enum Value { music, mood, focus, nature, symbols };

        constexpr Category(Value value) noexcept // NOLINT(google-explicit-constructor): reads like the enum
            : m_value(value) {}

        /// The five categories, in the picker's order.
        static constexpr std::array<Category, 5> allCases() noexcept { return {music, mood, focus, nature, symbols}; }
        /// The category with exactly this raw value, or none.
        static std::optional<Category> fromRawValue(std::string_view rawValue) noexcept;

        constexpr Value value() const noexcept { return m_value; }
        std::string_view rawValue() const noexcept;
        std::string_view id() const noexcept { return rawValue(); }

        friend constexpr bool operator==(Category, Category) noexcept = default;

    private:
        Value m_value;
    };

    /// One emoji of the picker.
    struct NIMBREL_CORE_EXPORT Entry {
        /// Without colons, lower case.
        std::string shortcode;
        std::string glyph;
        Category category = Category::music;
        /// Search words besides the shortcode.
        std::vector<std::string> aliases;

        friend bool operator==(const Entry&, const Entry&) = default;

        const std::string& id() const noexcept { return shortcode; }
        /// ":" + shortcode + ":", the form Slack stores.
        std::string colonized() const;
        /// The picker's search: an empty (or blank) query matches everything; otherwise the shortcode or an
        /// alias must contain the trimmed, lower-cased query.
        bool matches(std::string_view query) const;
    };

    /// A workspace's custom emoji, by name (the values, image addresses or aliases, are not consulted).
    using Workspace = std::map<std::string, std::string, std::less<>>;

    /// The standard shortcodes (lower case, without colons) and their glyphs.
    static const std::map<std::string, std::string, std::less<>>& knownShortcodes();
    /// The picker's entries, in display order within each category.
    static const std::vector<Entry>& curated();

    /// The comparison form of an emoji text: trimmed, one colon dropped at each end when both are there,
    /// lower case (" :ZAP: " gives "zap").
    static std::string normalize(std::string_view emoji);
    /// The glyph of a known shortcode, with or without colons, in any case.
    static std::optional<std::string> glyph(std::string_view shortcode);
    /// What to show for an emoji text: the glyph of a known shortcode, else the trimmed text as written.
    static std::string display(std::string_view emoji);
    /// A single emoji fit for an icon: a known shortcode's glyph, or the text itself when it starts with
    /// something drawn as an emoji. None for blank text, plain letters and bare digits.
    static std::optional<std::string> menuBarGlyph(std::string_view emoji);
    /// Whether the text is plausibly a shortcode: made of letters, numbers, "_", "+" and "-", and either
    /// written with a colon or a known shortcode.
    static bool looksLikeShortcode(std::string_view text);
    /// Whether the shortcode is standard or one of the workspace's custom emoji.
    static bool isKnown(std::string_view shortcode, const Workspace& workspace = {});
    /// The text with every known ":shortcode:" (any case) replaced by its glyph; anything else, custom
    /// emoji included, stays as written. Used before comparing status texts Slack may report either way.
    static std::string canonicalizingShortcodes(std::string_view text);
};

} // namespace nimbrel
