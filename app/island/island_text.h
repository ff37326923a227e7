#pragma once

#include <QStringView>

namespace nimbrel {

/// What the island says, in one place.
struct IslandText {
    IslandText() = delete;

    static constexpr QStringView kNothingPlaying = u"Nothing playing";
    static constexpr QStringView kSlackPaused = u"Slack updates paused";
    static constexpr QStringView kPreviousTrack = u"Previous track";
    static constexpr QStringView kPause = u"Pause";
    static constexpr QStringView kPlay = u"Play";
    static constexpr QStringView kNextTrack = u"Next track";
    static constexpr QStringView kPauseSlack = u"Pause Slack updates";
    static constexpr QStringView kResumeSlack = u"Resume Slack updates";
    /// The window's title, which window lists and screen readers show.
    static constexpr QStringView kWindowTitle = u"Nimbrel";
};

} // namespace nimbrel
