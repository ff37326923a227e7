#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/sources/player_command.h"

namespace nimbrel {

/// How a player source talks to one player: the few questions a scripting bridge can answer. The Linux
/// bridge speaks MPRIS; every answer has the shape a player script gives, so one source and one parser
/// serve every bridge. All calls but observing block until the player answers and may come from any thread.
class PlayerBridge {
public:
    /// The reading's answer text: "notrunning", or state TAB artist TAB title (the state alone when the
    /// player has no current track).
    struct Output {
        std::string text;
    };
    /// The player (or the bus) refused the reading.
    struct Failure {
        /// The scripting error number (see the k…Error constants); 0 when the bridge has none.
        int number = 0;
        std::string message;
    };
    /// The bridge could not even put the question (no connection to the player's bus).
    struct NotBuilt {};
    using ReadingAnswer = std::variant<Output, Failure, NotBuilt>;

    /// The user refused this program control of the player.
    static constexpr int kPermissionDenied = -1743;
    /// The user has not been asked yet; consent would be required.
    static constexpr int kPermissionUnknown = -1744;
    /// The player has no current track although it says it is playing.
    static constexpr int kNoSuchObject = -1728;

    virtual ~PlayerBridge() = default;

    /// What the bridge speaks, for log lines ("MPRIS").
    virtual std::string_view language() const = 0;
    /// Whether the player application is running; asking never starts it.
    virtual bool isRunning() = 0;
    /// Asks for the player's state and current track.
    virtual ReadingAnswer runReading() = 0;
    /// The current track's art address as the player gives it, if any.
    virtual std::optional<std::string> artworkAddress() = 0;
    /// Sends a transport command; the error text when the player refused it.
    virtual std::optional<std::string> command(PlayerCommand command) = 0;
    /// Calls `handler` on the calling thread (which runs an event loop) whenever the player's state
    /// changes, it starts or it quits; replaces any earlier handler.
    virtual void observe(std::function<void()> handler) = 0;
    /// Ends observing; the handler is not called afterwards.
    virtual void stopObserving() = 0;
};

} // namespace nimbrel
