#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/nowplaying/now_playing.h"
#include "core/nowplaying/player_source_id.h"

namespace nimbrel {

/// What the Sources settings screen shows and stores, without its widgets: which players are on, each
/// row's status line from the last probe, and the `sources` list that applying stores.
class SourcesSettings {
public:
    static constexpr std::string_view kSectionTitle = "Music apps";
    static constexpr std::string_view kOffStatus = "Off — Nimbrel won’t read this app.";
    static constexpr std::string_view kNotProbedStatus = "Checking…";
    static constexpr std::string_view kNotRunningStatus = "Not running.";
    static constexpr std::string_view kCheckAgainTitle = "Check again";
    static constexpr std::string_view kCheckingTitle = "Checking…";
    static constexpr std::string_view kNoSourcesWarning = "No sources enabled — Nimbrel can’t see what’s playing.";
    /// The button of a row whose player refused to answer: opens the desktop's app permissions.
    static constexpr std::string_view kPermissionButtonTitle = "Open App Permissions…";
    static constexpr std::string_view kOrderFooter =
        "Checked in order — whichever app is actually playing wins, so Spotify takes priority when both are. "
        "Nimbrel reads each app through the MPRIS interface it offers on the session bus; nothing needs "
        "allowing unless Nimbrel or the app runs in a sandbox.";
    static constexpr std::string_view kUnsupportedFooter =
        "Browsers and other players aren’t supported yet — Nimbrel reads only Spotify and the Apple Music "
        "clients for Linux (Cider) for now.";

    /// One row of the screen.
    struct Row {
        PlayerSourceID id;
        std::string_view title;
        bool enabled = false;
        std::string status;
        /// Whether the row offers kPermissionButtonTitle (its player gave an error).
        bool offersPermissionButton = false;
    };

    /// The screen for the configuration's current `sources`.
    explicit SourcesSettings(const std::vector<PlayerSourceID>& sources);

    /// Switches a player on or off; returns the `sources` to store: the enabled players in the screen's
    /// order (Spotify, then Apple Music), whatever order they were switched on in.
    std::vector<PlayerSourceID> setEnabled(PlayerSourceID id, bool enabled);
    std::vector<PlayerSourceID> sources() const;

    /// A probe (reading every configured player) has started; the button shows kCheckingTitle.
    void beginProbe();
    /// The probe's readings, as the coordinator's `readAll` gives them (the first of a repeated player counts).
    void finishProbe(const std::vector<std::pair<PlayerSourceID, NowPlaying>>& readings);
    bool isProbing() const noexcept { return m_probing; }
    std::string_view checkButtonTitle() const noexcept { return m_probing ? kCheckingTitle : kCheckAgainTitle; }
    bool showsNoSourcesWarning() const noexcept { return m_enabled.empty(); }

    /// The rows, Spotify first.
    std::vector<Row> rows() const;
    /// A row's status line for a player that is off, on but not probed yet, or on with this reading.
    static std::string statusLine(bool enabled, const std::optional<NowPlaying>& reading);
    /// Opens the desktop's app permissions (GNOME Settings, KDE System Settings, Flatseal); false when
    /// none is installed.
    static bool openPermissionSettings();

private:
    std::set<PlayerSourceID::Value> m_enabled;
    std::map<PlayerSourceID::Value, NowPlaying> m_probed;
    bool m_probing = false;
};

} // namespace nimbrel
