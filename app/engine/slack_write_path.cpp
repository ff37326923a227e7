#include "app/engine/slack_write_path.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/engine/engine_text.h"
#include "app/log/app_log.h"
#include "core/ownership/slack_finish_plan.h"
#include "core/ownership/slack_write_plan.h"
#include "core/slack/slack_auth_failure.h"

namespace nimbrel {
namespace {

// Slack's code when the error is one that means the token is dead.
const std::string* fatalCode(const ServiceError& error) {
    const std::string* code = error.slackCode();
    return code != nullptr && SlackAuthFailure::isFatal(*code) ? code : nullptr;
}

double secondsBetween(Instant from, Instant to) {
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

SlackWritePath::SlackWritePath(Environment environment)
    : m_environment(std::move(environment)) {}

SlackWritePath::~SlackWritePath() = default;

const SlackWorkspaceRuntime* SlackWritePath::runtime(std::string_view teamID) const {
    const auto found = m_runtimes.find(teamID);
    return found == m_runtimes.end() ? nullptr : &found->second;
}

std::shared_ptr<const SlackApi> SlackWritePath::clientOf(std::string_view teamID) const {
    const SlackWorkspaceRuntime* found = runtime(teamID);
    return found != nullptr ? found->client : nullptr;
}

void SlackWritePath::setRuntime(const std::string& teamID, SlackWorkspaceRuntime runtime) {
    m_runtimes.insert_or_assign(teamID, std::move(runtime));
}

void SlackWritePath::removeRuntime(std::string_view teamID) {
    if (const auto found = m_runtimes.find(teamID); found != m_runtimes.end()) {
        m_runtimes.erase(found);
    }
}

std::vector<std::string> SlackWritePath::rejectedTeamIDs() const {
    std::vector<std::string> rejected;
    for (const auto& [teamID, runtime] : m_runtimes) {
        if (runtime.isRejected()) {
            rejected.push_back(teamID);
        }
    }
    return rejected;
}

void SlackWritePath::clearRejection(const std::string& teamID, std::shared_ptr<const SlackApi> client) {
    const auto found = m_runtimes.find(teamID);
    if (found == m_runtimes.end()) {
        return;
    }
    if (client) {
        found->second.client = std::move(client);
    }
    found->second.needsReauth.reset();
}

std::optional<Instant> SlackWritePath::earliestNextSlot() const {
    std::optional<Instant> earliest;
    for (const auto& [teamID, runtime] : m_runtimes) {
        const std::optional<Instant> next = runtime.writeBudget.nextAvailable(now());
        if (next && (!earliest || *next < *earliest)) {
            earliest = next;
        }
    }
    return earliest;
}

bool SlackWritePath::reserveWriteSlot(const std::string& teamID) {
    const auto found = m_runtimes.find(teamID);
    if (found == m_runtimes.end()) {
        return false;
    }
    SlackWorkspaceRuntime& runtime = found->second;
    if (runtime.writeBudget.reserve(now())) {
        runtime.loggedBudgetExhaustion = false;
        return true;
    }
    m_environment.noteDeferral();
    if (!runtime.loggedBudgetExhaustion) {
        runtime.loggedBudgetExhaustion = true;
        const std::optional<Instant> next = runtime.writeBudget.nextAvailable(now());
        log(EngineText::deferred(teamID, next ? std::optional(secondsBetween(now(), *next)) : std::nullopt));
    }
    return false;
}

void SlackWritePath::markRejected(const std::string& teamID, const std::string& code) {
    const auto found = m_runtimes.find(teamID);
    if (found == m_runtimes.end() || found->second.isRejected()) {
        return;
    }
    log(EngineText::tokenRejected(teamID, code), LogLevel::error);
    found->second.needsReauth = code;
}

QCoro::Task<SlackWriteResult> SlackWritePath::write(SlackStatus status, std::string key, std::string teamID) {
    const std::shared_ptr<const SlackApi> client = clientOf(teamID);
    if (!client) {
        co_return SlackWriteResult::deferred();
    }
    // Reading is not paced, but there is no point in reading when no write could follow.
    if (m_runtimes.at(teamID).writeBudget.remaining(now()) < 1) {
        reserveWriteSlot(teamID);
        co_return SlackWriteResult::deferred();
    }

    const std::weak_ptr<bool> alive = m_alive;
    auto reading = client->getStatus();
    const SlackApi::Result<SlackStatus> current = co_await reading;
    if (alive.expired()) {
        co_return SlackWriteResult::deferred();
    }
    AppState& state = *m_environment.state;
    const StatusOwnershipRecord record = state.record(teamID);
    if (!current) {
        if (const std::string* code = fatalCode(current.error())) {
            markRejected(teamID, *code);
            co_return SlackWriteResult::failed(*code);
        }
        // Having stood back from somebody else's status, writing blind would most likely overwrite it.
        if (record.isYielded) {
            log(EngineText::standingBackBlind(teamID, current.error().description()));
            co_return SlackWriteResult::yielded();
        }
        log(EngineText::couldNotRead(teamID, current.error().description()), LogLevel::error);
        auto pushing = push(std::move(status), std::move(key), std::move(teamID));
        co_return co_await pushing;
    }

    const SlackWritePlan plan = SlackWritePlan::decide(current.value(), state, teamID, true);
    switch (plan.value()) {
    case SlackWritePlan::deferNoBudget:
        co_return SlackWriteResult::deferred();
    case SlackWritePlan::write:
        if (record.isYielded) {
            log(EngineText::resuming(teamID));
        }
        break;
    case SlackWritePlan::snapshotThenWrite:
        state.snapshot(current.value(), now(), teamID);
        log(EngineText::snapshotted(teamID));
        break;
    case SlackWritePlan::takeOverWithoutSnapshot:
        log(EngineText::takingOver(teamID));
        break;
    case SlackWritePlan::yieldToCurrent:
        if (!record.isYielded) {
            log(EngineText::yielding(teamID));
        }
        // A workspace that stays yielded has its snapshot refreshed on every run.
        state.yield(current.value(), now(), teamID);
        co_return SlackWriteResult::yielded();
    }
    auto pushing = push(std::move(status), std::move(key), std::move(teamID));
    co_return co_await pushing;
}

QCoro::Task<SlackWriteResult> SlackWritePath::push(SlackStatus status, std::string key, std::string teamID) {
    const std::shared_ptr<const SlackApi> client = clientOf(teamID);
    if (!client || !reserveWriteSlot(teamID)) {
        co_return SlackWriteResult::deferred();
    }
    const std::weak_ptr<bool> alive = m_alive;
    auto setting = client->setStatus(std::move(status));
    const SlackApi::Result<SlackStatus> echo = co_await setting;
    if (alive.expired()) {
        co_return SlackWriteResult::deferred();
    }
    if (echo) {
        m_environment.state->recordWrite(echo.value(), std::move(key), teamID);
        co_return SlackWriteResult::wrote();
    }
    if (const std::string* code = fatalCode(echo.error())) {
        markRejected(teamID, *code);
        co_return SlackWriteResult::failed(*code);
    }
    const std::string description = echo.error().description();
    log(EngineText::pushFailed(teamID, description), LogLevel::error);
    co_return SlackWriteResult::failed(description);
}

QCoro::Task<> SlackWritePath::finish(std::string teamID, bool force) {
    const std::shared_ptr<const SlackApi> client = clientOf(teamID);
    if (!client || m_runtimes.at(teamID).isRejected()) {
        co_return;
    }
    const WhenMusicStops whenMusicStops = m_environment.whenMusicStops();
    // Only a status the program owns is handed back; the record alone says when there is nothing to do.
    if (SlackFinishPlan::decide(whenMusicStops, m_environment.state->record(teamID), now())
            .as<SlackFinishPlan::DoNothing>() != nullptr) {
        co_return;
    }
    if (!force && m_runtimes.at(teamID).writeBudget.remaining(now()) < 1) {
        reserveWriteSlot(teamID); // refused: noted and logged; a later finish tries again
        co_return;
    }

    // Read what is up first: a status somebody set by hand since our last write (while the same track
    // kept playing, so no run read it) must not be cleared or overwritten. A failed read decides from the
    // record alone.
    const std::weak_ptr<bool> alive = m_alive;
    auto reading = client->getStatus();
    const SlackApi::Result<SlackStatus> current = co_await reading;
    if (alive.expired() || !m_runtimes.contains(teamID)) {
        co_return;
    }
    const SlackFinishPlan plan =
        SlackFinishPlan::decide(m_environment.whenMusicStops(), m_environment.state->record(teamID), now(),
                                current ? std::optional(current.value()) : std::nullopt);
    if (plan.as<SlackFinishPlan::DoNothing>() != nullptr) {
        co_return;
    }
    if (!force && !reserveWriteSlot(teamID)) {
        co_return;
    }
    const SlackFinishPlan::Restore* restore = plan.as<SlackFinishPlan::Restore>();
    auto setting = client->setStatus(restore != nullptr ? restore->status : SlackStatus::empty());
    const SlackApi::Result<SlackStatus> answer = co_await setting;
    if (alive.expired()) {
        co_return;
    }
    if (!answer) {
        // A failed clear is not worth a line; a failed restore is. The record stays, so the next finish
        // tries again.
        if (restore != nullptr) {
            log(EngineText::restoreFailed(teamID, answer.error().description()), LogLevel::error);
        }
        co_return;
    }
    if (restore != nullptr) {
        log(EngineText::restored(teamID));
    }
    m_environment.state->releaseStatus(teamID);
    m_environment.saveState();
}

} // namespace nimbrel
