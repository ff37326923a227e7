#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/vibe.h"
#include "core/theme/status_theme.h"

namespace nimbrel {

class VibesEditorModel;
struct VibeConfig;

/// What the Formatting screen shows: the help of the default template and of the default theme, the note
/// when that theme brings its own template, and a sample status rendered from the editor's unsaved state
/// against the playing track, or against a made-up one while nothing plays. Computed on demand from the
/// editor, so it is never stale; the screen asks again whenever the editor or the track changes.
class FormattingModel final {
public:
    static constexpr std::string_view kTemplateTitle = "Template";
    static constexpr std::string_view kHelpLead = "Used by every theme that doesn\u2019t carry one of its own. ";
    static constexpr std::string_view kHelpTrimmed = "Trimmed to Slack\u2019s ";
    static constexpr std::string_view kHelpLimitUnit = "-character limit ";
    static constexpr std::string_view kHelpTail =
        "(the track title is shortened first). Leave it empty for just the vibe.";
    static constexpr std::string_view kThemeTitle = "Theme";
    static constexpr std::string_view kThemeHelp =
        "Applied to the rendered text, then trimmed to fit. The emoji is never transformed. Add and edit themes "
        "in the sidebar; a vibe can override this one while it\u2019s playing.";
    static constexpr std::string_view kOwnTemplateNote =
        "This theme uses its own template, so the one above doesn\u2019t apply to it.";
    static constexpr std::string_view kSampleTitle = "Sample";
    static constexpr std::string_view kAgainstPlaying = "Against what\u2019s playing right now.";
    static constexpr std::string_view kAgainstSample = "Nothing is playing, so this uses a sample track.";

    /// The template's help with Slack's limit filled in.
    static std::string templateHelp();

    /// Reads `editor`, which must outlive the model.
    explicit FormattingModel(const VibesEditorModel& editor);

    /// The track the engine resolves now; an empty artist means nothing plays.
    void setPlaying(std::string artist, std::string track, std::vector<std::string> genres);
    bool isPlaying() const { return !m_artist.empty(); }

    /// The themes the picker offers: the built-in ones, then the custom ones.
    std::vector<StatusTheme> themes() const;
    /// The position of the default theme in `themes()`; none when its id names no theme any more.
    std::optional<std::size_t> themeIndex() const;
    /// Whether the default theme's own template replaces the one on this screen.
    bool themeHasOwnTemplate() const;

    /// The status the editor's state would write for the playing (or sample) track.
    std::string sample() const;
    /// Where the sample comes from: the playing track or the made-up one.
    std::string_view sampleCaption() const;
    /// The sample's length in characters, as Slack counts them.
    int sampleLength() const;
    /// "57/100 characters".
    std::string sampleCounter() const;

private:
    /// The vibe the sample stands on: the one matching the track, else the default vibe, else the first.
    Vibe sampleVibe(const VibeConfig& config, std::string_view artist) const;

    const VibesEditorModel& m_editor;
    std::string m_artist;
    std::string m_track;
    std::vector<std::string> m_genres;
};

} // namespace nimbrel
