#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "app/clients/timers.h"
#include "app/engine/slack_workspace_runtime.h"
#include "core/config/when_music_stops.h"
#include "core/ownership/app_state.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/slack_write_result.h"

namespace nimbrel {

/// How a status reaches one workspace, and how it is handed back when the music stops: read what is up now,
/// decide by the ownership record whether to take over, snapshot or stand back, pace writes to one per
/// 6 seconds, write, and record Slack's echo. It keeps the runtime of every connected workspace.
///
/// Everything runs on the main thread, one workspace at a time; the engine awaits each call before the
/// next. The state it changes belongs to its owner, who saves it.
class SlackWritePath {
public:
    /// What the path needs from its owner.
    struct Environment {
        /// The ownership records and recent statuses; must outlive the path.
        AppState* state = nullptr;
        /// The clock (its timers are not used here).
        std::shared_ptr<Timers> timers;
        /// What to do with a status when the music stops, as configured now.
        std::function<WhenMusicStops()> whenMusicStops;
        /// Writes the state to disk.
        std::function<void()> saveState;
        /// Told whenever a write or finish was deferred for pacing, so the run arms the retry timer.
        std::function<void()> noteDeferral;
    };

    explicit SlackWritePath(Environment environment);
    ~SlackWritePath();
    SlackWritePath(const SlackWritePath&) = delete;
    SlackWritePath& operator=(const SlackWritePath&) = delete;

    /// Reads, decides, paces, writes and records; `key` is what the record's lastKey becomes.
    QCoro::Task<SlackWriteResult> write(SlackStatus status, std::string key, std::string teamID);
    /// Hands the workspace's status back as configured (restore, clear or leave it), if it is still ours.
    /// `force` ignores pacing (stopping, quitting, turning posting off).
    QCoro::Task<> finish(std::string teamID, bool force);

    /// Takes the workspace's write slot; on refusal notes the deferral and logs it once per exhaustion.
    bool reserveWriteSlot(const std::string& teamID);
    /// Marks the workspace rejected by Slack with `code`; logged once.
    void markRejected(const std::string& teamID, const std::string& code);
    /// The earliest instant at which some workspace may write again, if any is waiting.
    std::optional<Instant> earliestNextSlot() const;

    const std::map<std::string, SlackWorkspaceRuntime, std::less<>>& runtimes() const noexcept { return m_runtimes; }
    const SlackWorkspaceRuntime* runtime(std::string_view teamID) const;
    /// Installs or replaces a workspace's runtime.
    void setRuntime(const std::string& teamID, SlackWorkspaceRuntime runtime);
    void removeRuntime(std::string_view teamID);
    /// Team ids of the rejected workspaces, in order.
    std::vector<std::string> rejectedTeamIDs() const;
    /// Takes a rejected workspace back into service, with a new client when one is given.
    void clearRejection(const std::string& teamID, std::shared_ptr<const SlackApi> client);

private:
    QCoro::Task<SlackWriteResult> push(SlackStatus status, std::string key, std::string teamID);
    Instant now() const { return m_environment.timers->now(); }
    std::shared_ptr<const SlackApi> clientOf(std::string_view teamID) const;

    Environment m_environment;
    std::map<std::string, SlackWorkspaceRuntime, std::less<>> m_runtimes;
    // A coroutine suspended on Slack checks this when it resumes: the path may have gone meanwhile.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); // declared last: gone first
};

} // namespace nimbrel
