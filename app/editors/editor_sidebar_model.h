#pragma once

#include <QUuid>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/editors/editor_route.h"
#include "app/editors/vibes_editor_model.h"

namespace nimbrel {

/// One row of the vibe editor's sidebar: a section title, a hint under it, or an entry that opens a route.
struct SidebarRow {
    enum class Kind { section, hint, item };

    Kind kind = Kind::item;
    std::string title;
    /// The entry's second line: a vibe's emoji and status text, where the default vibe applies, how a theme
    /// looks.
    std::string detail;
    std::string toolTip;
    /// Where an entry leads; none for sections and hints.
    std::optional<EditorRoute> route;
    /// The vibe the playing track matches under the editor's state.
    bool isMatching = false;
    /// The theme the formatting screen has chosen.
    bool isDefaultTheme = false;
    /// A default vibe that is switched off.
    bool isOff = false;

    friend bool operator==(const SidebarRow&, const SidebarRow&) = default;
};

/// What the vibe editor's sidebar lists, in order: the vibes (their order is matching priority), the default
/// vibe, Formatting, Genres, the built-in themes, then the user's. A pure function of the editor's draft.
struct EditorSidebarModel final {
    EditorSidebarModel() = delete;

    static constexpr std::string_view kVibesSection = "Vibes";
    static constexpr std::string_view kVibesHelp =
        "Order is priority \u2014 drag to reorder. The first vibe whose keywords match the track wins.";
    static constexpr std::string_view kWhenNothingMatches = "when nothing matches";
    static constexpr std::string_view kDefaultVibeOff =
        "off \u2014 tracks that match nothing leave your status as it is";
    static constexpr std::string_view kFormatting = "Formatting";
    static constexpr std::string_view kGenres = "Genres";
    static constexpr std::string_view kBuiltInSection = "Built-in";
    static constexpr std::string_view kBuiltInHint = "Duplicate a built-in theme to make one of your own.";
    static constexpr std::string_view kCustomSection = "Your themes";
    static constexpr std::string_view kYourDefaultTheme = "Your default theme";
    static constexpr std::string_view kMatchingToolTip = "Currently matching what\u2019s playing";
    /// A vibe or theme whose name is still blank.
    static constexpr std::string_view kUntitled = "Untitled";

    /// The rows for `draft`; `matching` marks the vibe the playing track matches.
    static std::vector<SidebarRow> rows(const VibesEditorModel::EditorDraft& draft,
                                        const std::optional<QUuid>& matching);
};

} // namespace nimbrel
