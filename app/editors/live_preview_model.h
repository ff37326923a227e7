#pragma once

#include <QObject>
#include <QUuid>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/editors/genre_chip.h"
#include "app/editors/preview_result.h"
#include "core/rendering/slack_emoji.h"

namespace nimbrel {

class VibesEditorModel;

/// The live preview beside the vibe editor: what the playing track would produce under the editor's
/// unsaved state (or, while that state is invalid, under the configuration in force), why that vibe
/// matched, and the artist's genres as chips that add a genre to the selected vibe in one undoable step.
///
/// Recomputed synchronously on every change of the editor or of the engine's inputs, so an edit shows in
/// the same screen update, long before it is committed. Main thread only; the editor must outlive it.
class LivePreviewModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LivePreviewModel)

public:
    /// What the engine resolves now: its preview's artist, track and the genres found for the artist.
    struct Playing {
        std::string artist;
        std::string track;
        std::vector<std::string> genres;

        friend bool operator==(const Playing&, const Playing&) = default;
    };

    static constexpr std::string_view kNothingPlayingTitle = "Nothing playing";
    static constexpr std::string_view kNothingPlayingText =
        "Play something in Spotify or Apple Music to preview your status live.";
    static constexpr std::string_view kNowPlayingTitle = "Now playing";
    static constexpr std::string_view kStatusCardTitle = "Your Slack status";
    static constexpr std::string_view kNoVibeMatch = "(no vibe match)";
    static constexpr std::string_view kWhyTitle = "Why this vibe";
    static constexpr std::string_view kDefaultVibeUsed = "Nothing matched, so your default vibe is used.";
    /// Without a default vibe nothing is posted for such a track, and the engine leaves the status alone.
    static constexpr std::string_view kNoVibeAtAll =
        "Nothing matched and the default vibe is off, so your Slack status is left as it is.";
    static constexpr std::string_view kGenresTitle = "Artist genre";
    static constexpr std::string_view kClickToAdd = "\u00b7 click to add";
    static constexpr std::string_view kNoGenres =
        "No genre came back for this artist \u2014 matching on the artist name only.";
    /// Said after `kNoGenres` only while there is a default vibe to fall back to.
    static constexpr std::string_view kDefaultVibeCovers = " Your default vibe covers it if nothing matches.";
    static constexpr std::string_view kAlreadyMapped = "Already in the selected vibe";
    static constexpr std::string_view kCustomEmoji = "A custom emoji of your workspace";

    /// "Matched on “lofi” — the first group in your list to match this track."
    static std::string matchedOn(std::string_view hit);
    /// "Theme: Plain — your default." or "Theme: Vaporwave — set on this vibe."
    static std::string themeLine(std::string_view themeName, bool isOverride);
    /// "Add “Rock” to the selected vibe"
    static std::string addToSelected(std::string_view genre);
    /// "57/100 characters"
    static std::string lengthCounter(int count);

    explicit LivePreviewModel(VibesEditorModel& editor, QObject* parent = nullptr);

    /// The engine's track and genres; an empty artist means nothing plays.
    void setPlaying(Playing playing);
    const Playing& playing() const { return m_playing; }
    /// The workspaces' custom emoji, by name, to tell a custom emoji from a mistyped one.
    void setWorkspaceEmoji(SlackEmoji::Workspace emoji);
    /// The vibe selected in the editor, which the chips add genres to; none when no vibe is selected.
    void setSelectedVibe(std::optional<QUuid> id);
    /// The selected vibe while it is still in the editor.
    std::optional<QUuid> selectedVibe() const;
    /// Recomputes after the configuration in force changed behind the editor's back.
    void refresh();

    const PreviewResult& result() const { return m_result; }
    /// False while nothing plays: the pane shows its placeholder.
    bool hasTrack() const { return !m_result.artist.empty(); }
    const std::vector<GenreChip>& chips() const { return m_chips; }
    /// The editor's vibe that the track matched on a keyword (the first of that name); none when the default
    /// vibe or no vibe applies.
    std::optional<QUuid> matchedVibe() const;

    /// The status text, or "(no vibe match)".
    std::string statusShown() const;
    /// The emoji as drawn: a standard shortcode's glyph, else the text as written.
    std::string emojiShown() const;
    /// Whether the emoji draws as a picture (a standard shortcode or an emoji character) rather than as text.
    bool emojiIsGlyph() const;
    /// The emoji as stored, noting when it is one of the workspace's own.
    std::string emojiToolTip() const;
    /// The status's length in characters, as Slack counts them.
    int statusLength() const;
    /// Whether the status is over Slack's limit (drawn in red).
    bool isOverLimit() const;
    /// "Why this vibe": the keyword that matched, or why the default vibe (or none) applies.
    std::string whyText() const;
    /// The theme that applies and where it comes from; empty when no vibe applies.
    std::string themeText() const;
    /// What the genre section says when the engine found no genre for the artist.
    std::string noGenresText() const;
    /// "· click to add" when a vibe is selected and there are genres; empty otherwise.
    std::string genresCaption() const;

    /// A click on the genre's chip: maps the genre to the selected vibe (which takes it from every other
    /// vibe) as one undoable step. False, and nothing changes, when no vibe is selected, the genre is not
    /// one of the chips, or the selected vibe already has it.
    bool activateChip(std::string_view genre);

Q_SIGNALS:
    /// The result or the chips changed.
    void changed();

private:
    void recompute();
    PreviewResult computeResult(bool& hasDefaultVibe) const;
    std::vector<GenreChip> computeChips(const std::vector<std::string>& genres) const;

    VibesEditorModel& m_editor;
    Playing m_playing;
    SlackEmoji::Workspace m_workspaceEmoji;
    std::optional<QUuid> m_selected;
    PreviewResult m_result;
    std::vector<GenreChip> m_chips;
    /// Whether the previewed configuration has a default vibe.
    bool m_hasDefaultVibe = false;
};

} // namespace nimbrel
