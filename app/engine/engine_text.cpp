#include "app/engine/engine_text.h"

#include <cmath>

#include "app/clients/overloaded.h"
#include "core/ownership/slack_retry_policy.h"
#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.append(1, '"').append(text).append(1, '"');
    return out;
}

} // namespace

std::string EngineText::notPlaying(std::string_view state) {
    return "Not playing (" + std::string(state) + ")";
}

std::string EngineText::playing(std::string_view track, std::string_view artist) {
    return "\u266A " + std::string(track) + " \u2014 " + std::string(artist);
}

std::string EngineText::noVibeMatch(std::string_view track, std::string_view artist) {
    return playing(track, artist) + " (no vibe match)";
}

std::string EngineText::notPosting(std::string_view reason, std::string_view track) {
    return std::string(reason) + " \u2014 \u266A " + std::string(track);
}

std::string EngineText::slackError(std::string_view message) {
    return "Slack error: " + std::string(message);
}

std::string EngineText::readingError(std::string_view detail) {
    return std::string(Graphemes::prefix(detail, kErrorDetailLength));
}

std::string EngineText::configNotReloaded(std::string_view problem) {
    return "Config not reloaded \u2014 " + std::string(problem);
}

std::string EngineText::configUnusable(std::string_view problem) {
    return "config: config.json can\u2019t be used (" + std::string(problem) +
           ") \u2014 running on the built-in configuration; the file is kept aside at the next save";
}

std::string EngineText::readResult(const NowPlaying& reading) {
    return "runOnce: read result = " +
           std::visit(Overloaded{
                          [](const NowPlaying::Playing& p) {
                              return "playing(artist: " + quoted(p.artist) + ", track: " + quoted(p.track) + ")";
                          },
                          [](const NowPlaying::NotPlaying& p) {
                              return "notPlaying(state: " + quoted(p.state) + ", artist: " + quoted(p.artist) +
                                     ", track: " + quoted(p.track) + ")";
                          },
                          [](const NowPlaying::Error& e) { return "error(detail: " + quoted(e.detail) + ")"; },
                          [](const NowPlaying::NotRunning&) { return std::string("notRunning"); },
                      },
                      reading.value());
}

std::string EngineText::summary(const std::vector<std::pair<std::string, SlackWriteResult>>& results,
                                std::string_view key) {
    std::size_t wrote = 0;
    std::string others;
    for (const auto& [name, result] : results) {
        const std::string entry =
            std::visit(Overloaded{
                           [](const SlackWriteResult::Wrote&) { return std::string(); },
                           [&](const SlackWriteResult::Yielded&) { return "yielded: " + name; },
                           [&](const SlackWriteResult::Deferred&) { return "deferred: " + name; },
                           [&](const SlackWriteResult::Failed& f) { return "failed: " + name + " \u2014 " + f.reason; },
                       },
                       result.value());
        if (entry.empty()) {
            ++wrote;
            continue;
        }
        others += (others.empty() ? "" : "; ") + entry;
    }
    std::string line = "slack: wrote " + std::to_string(wrote) + "/" + std::to_string(results.size());
    if (!others.empty()) {
        line += " (" + others + ")";
    }
    return line + " \u2014 " + quoted(key);
}

std::string EngineText::noStoredToken(std::string_view displayName) {
    return "slack: no stored token for " + std::string(displayName) + " \u2014 reconnect required";
}

std::string EngineText::tokenUnreadable(std::string_view displayName, std::string_view error) {
    return "slack: couldn\u2019t read the token for " + std::string(displayName) + " (" + std::string(error) +
           ") \u2014 not posting there until Update Now or a reconnect";
}

std::string EngineText::couldNotRead(std::string_view teamID, std::string_view error) {
    return "write: could not read current status for " + std::string(teamID) + " (" + std::string(error) +
           ") \u2014 writing without the ownership check";
}

std::string EngineText::standingBackBlind(std::string_view teamID, std::string_view error) {
    return "write: could not read current status for " + std::string(teamID) + " (" + std::string(error) +
           ") \u2014 still standing by, not writing blind over a status set elsewhere";
}

std::string EngineText::resuming(std::string_view teamID) {
    return "write: resuming in " + std::string(teamID) + " \u2014 the other status was cleared";
}

std::string EngineText::snapshotted(std::string_view teamID) {
    return "write: snapshotted the existing status in " + std::string(teamID) + " before taking over";
}

std::string EngineText::takingOver(std::string_view teamID) {
    return "write: found one of our own statuses left on " + std::string(teamID) +
           " \u2014 taking over without snapshotting it";
}

std::string EngineText::yielding(std::string_view teamID) {
    return "write: yielding in " + std::string(teamID) + " \u2014 the status was changed by something else";
}

std::string EngineText::pushFailed(std::string_view teamID, std::string_view error) {
    return "push: Slack setStatus failed for " + std::string(teamID) + " \u2014 " + std::string(error);
}

std::string EngineText::deferred(std::string_view teamID, std::optional<double> secondsToNextSlot) {
    std::string line = "slack: profile write deferred for " + std::string(teamID) + ", too soon after the last (min " +
                       std::to_string(static_cast<int>(SlackRetryPolicy::minimumWriteSpacing)) + "s)";
    if (secondsToNextSlot) {
        // std::round rounds halves away from zero.
        line += " \u2014 next slot in " + std::to_string(std::llround(*secondsToNextSlot)) + "s";
    }
    return line;
}

std::string EngineText::retryScheduled(long long seconds) {
    return "scheduled a retry in " + std::to_string(seconds) + "s for a deferred Slack write";
}

std::string EngineText::tokenRejected(std::string_view teamID, std::string_view code) {
    return "slack: token rejected for " + std::string(teamID) + " (" + std::string(code) +
           ") \u2014 reconnect required";
}

std::string EngineText::restored(std::string_view teamID) {
    return "finish: restored the previous status in " + std::string(teamID);
}

std::string EngineText::restoreFailed(std::string_view teamID, std::string_view error) {
    return "finish: restore failed for " + std::string(teamID) + " \u2014 " + std::string(error);
}

std::string EngineText::retryingRejected(std::size_t count) {
    return "updateNow: retrying " + std::to_string(count) + " connection(s) previously rejected by Slack";
}

std::string EngineText::emojiFailed(std::string_view displayName, std::string_view error) {
    return "loadWorkspaceEmoji: " + std::string(displayName) + " \u2014 " + std::string(error);
}

} // namespace nimbrel
