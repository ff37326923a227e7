#include "app/cli/doctor_report.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include "core/json/iso8601.h"
#include "core/ownership/slack_finish_plan.h"
#include "core/ownership/status_ownership.h"

namespace nimbrel::cli {
namespace {

constexpr std::string_view kNothingWrittenExplanation =
    "When the music stops nothing changes: Nimbrel holds no status here (it has not set one since it last "
    "handed the status back).";
constexpr std::string_view kUndated = "the saved status has no date, so its age is unknown.";

// A Slack expiration in the state file is any integer; one beyond the clock's range is shown as it is.
std::string describeExpiration(std::int64_t expiration) {
    if (const std::optional<Instant> instant = Instants::fromSecondsSince1970(static_cast<double>(expiration))) {
        return DoctorReport::describe(*instant);
    }
    return std::to_string(expiration) + " (seconds since 1970)";
}

std::string quote(std::string_view text) {
    return "\u201c" + std::string(text) + "\u201d";
}

std::string conditionWord(const DoctorFile& file) {
    switch (file.condition) {
    case DoctorFile::Condition::present:
        return "present";
    case DoctorFile::Condition::missing:
        return "missing";
    case DoctorFile::Condition::unreadable:
        break;
    }
    return "unreadable \u2014 " + file.problem;
}

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The workspaces to show: the configured ones in their order, then records of team ids the configuration
// no longer lists (a disconnect that did not finish, a hand-edited configuration).
std::vector<std::string> teamIDsToShow(const DoctorInputs& inputs) {
    std::vector<std::string> teamIDs;
    for (const SlackAccount& account : inputs.config.slackAccounts) {
        if (std::find(teamIDs.begin(), teamIDs.end(), account.teamID) == teamIDs.end()) {
            teamIDs.push_back(account.teamID);
        }
    }
    for (const auto& [teamID, record] : inputs.state.state.workspaces) {
        if (std::find(teamIDs.begin(), teamIDs.end(), teamID) == teamIDs.end()) {
            teamIDs.push_back(teamID);
        }
    }
    return teamIDs;
}

// Whether a decode error's key path lies in the record of `teamID`: "workspaces.T1" or below it, but not
// "workspaces.T12".
bool isInRecord(std::string_view location, std::string_view teamID) {
    const std::string record = std::string(AppState::kWorkspacesKey) + "." + std::string(teamID);
    if (!location.starts_with(record)) {
        return false;
    }
    const std::string_view rest = location.substr(record.size());
    return rest.empty() || rest.front() == '.' || rest.front() == '[';
}

const SlackAccount* accountFor(const VibeConfig& config, std::string_view teamID) {
    const auto found = std::find_if(config.slackAccounts.begin(), config.slackAccounts.end(),
                                    [&](const SlackAccount& account) { return account.teamID == teamID; });
    return found == config.slackAccounts.end() ? nullptr : &*found;
}

void writeConfiguration(std::ostream& out, const DoctorInputs& inputs) {
    const VibeConfig& config = inputs.config;
    out << "\nConfiguration (" << inputs.configOrigin << ")\n";
    out << "  " << plural(config.vibes.size(), "vibe", "vibes")
        << "; default vibe: " << (config.defaultVibe ? quote(config.defaultVibe->name) : std::string("none")) << "\n";
    out << "  Theme: " << config.defaultTheme().name << "; template " << quote(config.statusFormat) << "\n";
    out << "  When music stops: " << config.whenMusicStops.rawValue() << " (" << config.whenMusicStops.displayName()
        << ")\n";
    out << "  Players: ";
    if (config.sources.empty()) {
        out << "none";
    }
    for (std::size_t index = 0; index < config.sources.size(); ++index) {
        out << (index == 0 ? "" : ", ") << config.sources[index].displayName();
    }
    out << "; safety-net poll every " << config.pollSeconds << " s\n";
    out << "  Workspaces: ";
    if (config.slackAccounts.empty()) {
        out << "none connected";
    }
    for (std::size_t index = 0; index < config.slackAccounts.size(); ++index) {
        const SlackAccount& account = config.slackAccounts[index];
        out << (index == 0 ? "" : ", ") << account.displayName() << " (" << account.teamID << ", posting "
            << (account.isEnabled ? "on" : "off") << ")";
    }
    out << "\n";
}

void writeWorkspace(std::ostream& out, const DoctorInputs& inputs, const std::string& teamID) {
    const AppState& state = inputs.state.state;
    const SlackAccount* account = accountFor(inputs.config, teamID);
    out << "\n  "
        << (account != nullptr ? account->displayName() + " (" + teamID + ")" : teamID + " (not in the configuration)")
        << "\n";
    const bool hasRecord = state.workspaces.contains(teamID);
    const StatusOwnershipRecord record = state.record(teamID);
    const bool discarded =
        std::find(inputs.state.discardedSelfSnapshots.begin(), inputs.state.discardedSelfSnapshots.end(), teamID) !=
        inputs.state.discardedSelfSnapshots.end();
    for (const DecodeError& error : inputs.state.unreadableRecords) {
        if (isInRecord(error.location(), teamID)) {
            out << "    Record unreadable in state.json (" << error.location() << ": " << error.reason()
                << "); treated as empty\n";
        }
    }
    if (!hasRecord) {
        out << "    No record yet: Nimbrel has not written to this workspace\n";
    }
    out << "    Status up: " << DoctorReport::ownerDescription(record) << "\n";
    if (record.lastKey) {
        out << "    Last key: " << *record.lastKey << "\n";
    }
    if (record.hasSnapshot()) {
        const SlackStatus saved{record.savedText.value_or(""), record.savedEmoji.value_or(""),
                                record.savedExpiration.value_or(0)};
        out << "    Saved status: " << DoctorReport::describe(saved);
        if (record.savedAt) {
            out << ", saved " << DoctorReport::describe(*record.savedAt) << ", restorable until "
                << DoctorReport::describe(Instants::adding(*record.savedAt, StatusOwnership::snapshotLifetime));
        }
        out << "\n";
    } else {
        out << "    Saved status: none" << (discarded ? " (one of Nimbrel\u2019s own was dropped at loading)" : "")
            << "\n";
    }
    out << "    " << DoctorReport::finishExplanation(inputs.config.whenMusicStops, record, inputs.now, discarded)
        << "\n";
}

} // namespace

std::string DoctorReport::describe(Instant instant) {
    return Iso8601::format(std::chrono::floor<std::chrono::seconds>(instant));
}

std::string DoctorReport::describe(const SlackStatus& status) {
    std::string text = quote(status.text);
    if (!status.emoji.empty()) {
        text += " " + status.emoji;
    }
    if (status.expiration > 0) {
        text += " (expires " + describeExpiration(status.expiration) + ")";
    }
    return text;
}

std::string DoctorReport::ownerDescription(const StatusOwnershipRecord& record) {
    if (record.isYielded) {
        return "somebody else\u2019s \u2014 Nimbrel stood back when the status was changed elsewhere, and writes "
               "again once it is cleared";
    }
    if (record.lastSetByUs) {
        const std::optional<SlackStatus> lastSet = record.lastSetStatus();
        return lastSet ? "Nimbrel\u2019s \u2014 it last set " + describe(*lastSet)
                       : std::string("Nimbrel\u2019s (the status it set is not recorded)");
    }
    return "not Nimbrel\u2019s \u2014 it holds no status here";
}

std::string DoctorReport::finishExplanation(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record,
                                            Instant now, bool snapshotDiscarded) {
    if (whenMusicStops == WhenMusicStops::leave) {
        return std::string(kLeaveExplanation);
    }
    if (!record.lastSetByUs) {
        if (record.isYielded) {
            return std::string(kYieldedExplanation);
        }
        return std::string(record.lastSetStatus() || record.hasSnapshot() ? kNotOursExplanation
                                                                          : kNothingWrittenExplanation);
    }
    if (whenMusicStops == WhenMusicStops::clear) {
        return std::string(kClearConfiguredExplanation);
    }
    const SlackFinishPlan plan = SlackFinishPlan::decide(whenMusicStops, record, now);
    if (const auto* restore = plan.as<SlackFinishPlan::Restore>()) {
        return std::string(kRestorePrefix) + describe(restore->status) + " (saved " + describe(*record.savedAt) +
               "; restorable until " + describe(Instants::adding(*record.savedAt, StatusOwnership::snapshotLifetime)) +
               ").";
    }

    // Every way `savedStatus` can come up empty, in the order it checks them.
    std::string reason;
    if (!record.hasSnapshot()) {
        reason = snapshotDiscarded ? kDiscardedOwn : kNothingSaved;
    } else if (!record.savedAt) {
        reason = kUndated;
    } else if (*record.savedAt > now) {
        reason = std::string(kFromTheFuture) + describe(*record.savedAt) + ").";
    } else if (!StatusOwnership::isSnapshotFresh(record.savedAt, now)) {
        reason = std::string(kTooOld) + describe(*record.savedAt) + ").";
    } else if (SlackStatus{record.savedText.value_or(""), record.savedEmoji.value_or(""), 0}.isEmpty()) {
        reason = kBlankSaved;
    } else {
        const std::int64_t expiration = record.savedExpiration.value_or(0);
        reason = std::string(kExpired) + describeExpiration(expiration) + ".";
    }
    return std::string(kClearedBecause) + reason;
}

std::string DoctorReport::text(const DoctorInputs& inputs) {
    std::ostringstream out;
    out << kTitle << "\n\nFiles in " << inputs.folder.string() << "\n";
    for (const DoctorFile& file : inputs.files) {
        out << "  " << file.name << ": " << conditionWord(file) << "\n";
    }

    writeConfiguration(out, inputs);

    const std::vector<std::string> teamIDs = teamIDsToShow(inputs);
    out << "\nWorkspaces (ownership records in state.json)\n";
    if (teamIDs.empty()) {
        out << "  none\n";
    }
    for (const std::string& teamID : teamIDs) {
        writeWorkspace(out, inputs, teamID);
    }

    const std::vector<SlackStatus>& recent = inputs.state.state.recentlySet;
    out << "\nRecently set statuses (newest first; recognised as Nimbrel\u2019s own)\n";
    if (recent.empty()) {
        out << "  none\n";
    }
    for (std::size_t index = 0; index < recent.size(); ++index) {
        out << "  " << index + 1 << ". " << describe(recent[index]) << "\n";
    }

    const GenreCache& cache = inputs.genreCache;
    const std::vector<std::string> genres = cache.observedGenres();
    out << "\nGenre cache: " << plural(cache.entries.size(), "entry", "entries") << ", " << cache.freshCount(inputs.now)
        << " fresh\n";
    out << "  Observed genres: ";
    if (genres.empty()) {
        out << "none";
    }
    for (std::size_t index = 0; index < genres.size(); ++index) {
        out << (index == 0 ? "" : ", ") << genres[index];
    }
    out << "\n";
    return out.str();
}

nlohmann::json DoctorReport::json(const DoctorInputs& inputs) {
    nlohmann::json workspaces = nlohmann::json::object();
    for (const auto& [teamID, record] : inputs.state.state.workspaces) {
        workspaces[teamID] = record.toJson();
    }
    nlohmann::json recent = nlohmann::json::array();
    for (const SlackStatus& status : inputs.state.state.recentlySet) {
        recent.push_back({{"text", status.text}, {"emoji", status.emoji}});
    }
    return {
        {"folder", inputs.folder.string()},
        {"workspaces", std::move(workspaces)},
        {"recently_set", std::move(recent)},
        {"genre_cache",
         {{"entries", inputs.genreCache.entries.size()},
          {"fresh", inputs.genreCache.freshCount(inputs.now)},
          {"observed_genres", inputs.genreCache.observedGenres()}}},
        {"discarded_self_snapshots", inputs.state.discardedSelfSnapshots},
    };
}

} // namespace nimbrel::cli
