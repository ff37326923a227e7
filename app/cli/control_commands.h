#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/cli/dispatch.h"

namespace nimbrel::cli {

/// The commands that drive the running instance over its D-Bus interface. Each says in one line when
/// no instance runs, and exits 1.
int runStatus(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runPause(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runResume(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runUpdateNow(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runQuit(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runConnect(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runDisconnect(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

/// Their rows in the table of commands.
inline constexpr Command kStatusCommand{"status", "show what the running Nimbrel is doing and each workspace's state",
                                        runStatus};
inline constexpr Command kPauseCommand{"pause", "pause Slack updates", runPause};
inline constexpr Command kResumeCommand{"resume", "resume Slack updates", runResume};
inline constexpr Command kUpdateNowCommand{"update-now", "read the player and update Slack now", runUpdateNow};
inline constexpr Command kConnectCommand{"connect", "connect a Slack workspace through your browser", runConnect};
inline constexpr Command kDisconnectCommand{"disconnect", "disconnect a Slack workspace, by team id or name",
                                            runDisconnect};
inline constexpr Command kQuitCommand{"quit", "stop the running Nimbrel, handing your status back", runQuit};

} // namespace nimbrel::cli
