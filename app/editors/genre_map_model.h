#pragma once

#include <QObject>
#include <QUuid>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

class VibesEditorModel;

/// The genre map of the vibe editor: every genre Nimbrel can be told about (the iTunes catalogue and the
/// genres seen in use), where each lands under the editor's unsaved state, why a vibe that has the genre as a
/// keyword loses it to a vibe higher in the list, and the assignment of a genre to a vibe.
///
/// Recomputed synchronously on every change of the editor, so an edit shows in the same screen update. While
/// the editor's state is invalid, the genres land as the configuration in force says, as in the live preview.
/// Main thread only; the editor must outlive it.
class GenreMapModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GenreMapModel)

public:
    /// One genre and where it lands.
    struct Row {
        std::string genre;
        /// Seen in use but not in the built-in catalogue.
        bool observedOnly = false;
        /// The vibe's name, "no vibe", or "falling through to “listening”".
        std::string landing;
        /// The editor's vibe the genre lands on; none when it lands on the default vibe or on nothing.
        std::optional<QUuid> landingVibe;
        /// Whether a vibe's keyword catches the genre (it does not fall through).
        bool mapped = false;
        /// Why a vibe with this keyword loses the genre to one higher in the list; empty otherwise.
        std::string shadowExplanation;

        friend bool operator==(const Row&, const Row&) = default;
    };

    /// An entry of a row's assign menu: a vibe, or none for "Nothing (use the default vibe)".
    struct MenuEntry {
        std::string title;
        std::optional<QUuid> vibe;
        bool checked = false;

        friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
    };

    static constexpr std::string_view kIntroduction =
        "These are the genres Nimbrel can be told about. Assign each to a vibe \u2014 anything left unassigned "
        "falls through to your default vibe.";
    static constexpr std::string_view kFilterPlaceholder = "Filter genres";
    static constexpr std::string_view kUnmappedOnly = "Unmapped only";
    static constexpr std::string_view kObservedOnly = "seen on this computer \u2014 not in the built-in list";
    static constexpr std::string_view kNoVibe = "no vibe";
    static constexpr std::string_view kNothing = "Nothing (use the default vibe)";
    /// A vibe whose name is still blank, in the assign menu.
    static constexpr std::string_view kUnnamedVibe = "Unnamed vibe";
    static constexpr std::string_view kAllAssigned = "Every genre is caught by one of your vibes.";
    /// The title of a row's menu button.
    static constexpr std::string_view kAssign = "Assign";
    /// The branching arrow in front of a shadow explanation.
    static constexpr std::string_view kShadowArrow = "\u2937";

    /// "falling through to “listening”"
    static std::string fallingThrough(std::string_view defaultVibeName);
    /// "“focus” has this keyword, but “chill” matches “pop” first — it sits higher in the list."
    static std::string shadowed(std::string_view keywordVibe, std::string_view winner, std::string_view winningKeyword);
    /// "65 genres", "1 genre", or with a narrowed list "3 of 65 genres".
    static std::string countText(std::size_t shown, std::size_t total, bool narrowed);
    /// "No genre matches “xyz”."
    static std::string noMatch(std::string_view filter);
    /// The accessible name of a row's menu button: "Assign “Rock” to a vibe".
    static std::string assignName(std::string_view genre);

    explicit GenreMapModel(VibesEditorModel& editor, QObject* parent = nullptr);

    /// The genres the engine has seen in use; the ones not in the catalogue get rows of their own.
    void setObservedGenres(std::vector<std::string> genres);
    /// Shows only the genres containing this text, ignoring case and surrounding white space.
    void setFilter(std::string filter);
    const std::string& filter() const { return m_filter; }
    /// Shows only the genres that no vibe keyword catches.
    void setUnmappedOnly(bool on);
    bool unmappedOnly() const { return m_unmappedOnly; }

    /// Every genre, sorted, whether shown or not.
    const std::vector<Row>& allRows() const { return m_rows; }
    /// The genres the filter and "Unmapped only" let through, in the order of `allRows()`.
    std::vector<const Row*> shownRows() const;
    /// Whether the filter and "Unmapped only" let this row through.
    bool isShown(const Row& row) const;
    /// The count line above the list.
    std::string countText() const;
    /// What the list says when it shows nothing; empty while it shows something.
    std::string emptyText() const;
    /// The assign menu of a genre: the vibes by name, then "Nothing (use the default vibe)"; the entry the
    /// genre lands on is checked.
    std::vector<MenuEntry> menuEntries(std::string_view genre) const;

    /// Assigns the genre to the vibe (taking it from every other vibe), or with none takes it from every
    /// vibe, as one undoable step. False, and nothing changes, when it lands there already or the genre is
    /// not one of the rows.
    bool assign(std::string_view genre, const std::optional<QUuid>& vibe);

Q_SIGNALS:
    /// The rows, the filter or "Unmapped only" changed.
    void changed();

private:
    void recompute();
    const Row* row(std::string_view genre) const;

    VibesEditorModel& m_editor;
    std::vector<std::string> m_observed;
    std::string m_filter;
    bool m_unmappedOnly = false;
    std::vector<Row> m_rows;
};

} // namespace nimbrel
