#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/nowplaying/now_playing.h"
#include "core/ownership/slack_write_result.h"

namespace nimbrel {

/// Every status line and log line of the engine and its write path, built in one place so that tests
/// assert them and nobody retypes them.
struct EngineText {
    EngineText() = delete;

    // ---- Status lines (the menu's one line about what the engine is doing)
    static constexpr std::string_view kStarting = "Starting\u2026";
    static constexpr std::string_view kNotRunning = "Not playing (not running)";
    static constexpr std::string_view kPaused = "Paused \u2014 not updating Slack";
    static constexpr std::string_view kResuming = "Resuming\u2026";
    static constexpr std::string_view kStandingBy = "Standing by \u2014 your status was set elsewhere";
    static constexpr std::string_view kConnectSlack = "Connect Slack";
    static constexpr std::string_view kReconnectSlack = "Reconnect Slack";
    static constexpr std::string_view kNoWorkspacePosting = "No workspace is posting";
    static constexpr std::string_view kQueuedSuffix = " (Slack update queued)";
    /// How many characters of a player's error the status line shows.
    static constexpr std::size_t kErrorDetailLength = 90;

    /// "Not playing (paused)".
    static std::string notPlaying(std::string_view state);
    /// "♪ track — artist".
    static std::string playing(std::string_view track, std::string_view artist);
    /// "♪ track — artist (no vibe match)".
    static std::string noVibeMatch(std::string_view track, std::string_view artist);
    /// "Connect Slack — ♪ track", and the same with the other reasons.
    static std::string notPosting(std::string_view reason, std::string_view track);
    /// "Slack error: message".
    static std::string slackError(std::string_view message);
    /// The first 90 characters of a player's error.
    static std::string readingError(std::string_view detail);

    static constexpr std::string_view kConfigMissing = "config.json is missing";
    /// "Config not reloaded — <why>": the file edited by hand cannot be used; the one in force stays.
    static std::string configNotReloaded(std::string_view problem);

    // ---- The engine's log lines
    /// config.json could not be used at start-up; the built-in configuration runs meanwhile.
    static std::string configUnusable(std::string_view problem);
    static constexpr std::string_view kReading = "runOnce: reading now-playing\u2026";
    static constexpr std::string_view kEngineStopped = "engine stopped";
    /// "runOnce: read result = playing(artist: "…", track: "…")".
    static std::string readResult(const NowPlaying& reading);
    /// "slack: wrote 1/2 (deferred: Acme) — "key"": a workspace's name with the result of its write.
    static std::string summary(const std::vector<std::pair<std::string, SlackWriteResult>>& results,
                               std::string_view key);

    // ---- The write path's log lines
    static std::string noStoredToken(std::string_view displayName);
    static std::string tokenUnreadable(std::string_view displayName, std::string_view error);
    static std::string couldNotRead(std::string_view teamID, std::string_view error);
    static std::string standingBackBlind(std::string_view teamID, std::string_view error);
    static std::string resuming(std::string_view teamID);
    static std::string snapshotted(std::string_view teamID);
    static std::string takingOver(std::string_view teamID);
    static std::string yielding(std::string_view teamID);
    static std::string pushFailed(std::string_view teamID, std::string_view error);
    /// "slack: profile write deferred for T1, too soon after the last (min 6s) — next slot in 4s"; the
    /// last part only when `secondsToNextSlot` is given.
    static std::string deferred(std::string_view teamID, std::optional<double> secondsToNextSlot);
    static std::string retryScheduled(long long seconds);
    static std::string tokenRejected(std::string_view teamID, std::string_view code);
    static std::string restored(std::string_view teamID);
    static std::string restoreFailed(std::string_view teamID, std::string_view error);
    static std::string retryingRejected(std::size_t count);
    static std::string emojiFailed(std::string_view displayName, std::string_view error);
};

} // namespace nimbrel
