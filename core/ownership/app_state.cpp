#include "core/ownership/app_state.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/json/json_reader.h"
#include "core/ownership/status_ownership.h"

namespace nimbrel {
namespace {

// A recent list is all texts or the whole file is unreadable: the two lists are only meaningful together.
std::vector<std::string> stringList(const JsonObjectReader& reader, std::string_view key) {
    std::vector<std::string> list;
    if (const nlohmann::json* array = reader.optionalArray(key)) {
        const JsonPath path = reader.path().key(key);
        for (std::size_t index = 0; index < array->size(); ++index) {
            list.push_back(JsonObjectReader::stringValue((*array)[index], path.index(index)));
        }
    }
    return list;
}

} // namespace

StatusOwnershipRecord AppState::record(std::string_view teamID) const {
    const auto found = workspaces.find(teamID);
    return found == workspaces.end() ? StatusOwnershipRecord() : found->second;
}

bool AppState::looksLikeOurs(const SlackStatus& status, std::string_view teamID) const {
    const std::optional<SlackStatus> lastSet = record(teamID).lastSetStatus();
    if (lastSet && StatusOwnership::isSameStatus(status, *lastSet)) {
        return true;
    }
    return StatusOwnership::isOneOf(status, recentlySet);
}

void AppState::snapshot(const SlackStatus& status, Instant at, std::string_view teamID) {
    StatusOwnershipRecord changed = record(teamID);
    changed.snapshot(status, at);
    workspaces.insert_or_assign(std::string(teamID), std::move(changed));
}

void AppState::recordWrite(const SlackStatus& status, std::string key, std::string_view teamID) {
    StatusOwnershipRecord changed = record(teamID);
    changed.recordWrite(status, std::move(key));
    workspaces.insert_or_assign(std::string(teamID), std::move(changed));

    std::erase_if(recentlySet, [&](const SlackStatus& entry) { return StatusOwnership::isSameStatus(entry, status); });
    recentlySet.insert(recentlySet.begin(), status);
    if (recentlySet.size() > recentlySetLimit) {
        recentlySet.resize(recentlySetLimit);
    }
    // A snapshot can hold one of our own statuses without our knowing (state.json was lost, a write's
    // answer was lost, it had left the recent list). Once we write that status again it is recognisably
    // ours, so drop it now, as loading would, instead of restoring it later as if it were the user's.
    discardSelfSnapshots();
}

void AppState::yield(const SlackStatus& status, Instant at, std::string_view teamID) {
    // A status the program set itself can displace its latest one: another machine of the same user runs
    // the program, or a write reached Slack but its answer was lost. Standing back is still right, but
    // keeping that status as the one to restore would later put one of our own statuses back as if it
    // were the user's.
    const bool ours = looksLikeOurs(status, teamID);
    StatusOwnershipRecord changed = record(teamID);
    changed.yield(status, at);
    if (ours) {
        changed.dropSnapshot();
    }
    workspaces.insert_or_assign(std::string(teamID), std::move(changed));
}

void AppState::releaseStatus(std::string_view teamID) {
    StatusOwnershipRecord changed = record(teamID);
    changed.releaseStatus();
    workspaces.insert_or_assign(std::string(teamID), std::move(changed));
}

void AppState::forget(std::string_view teamID) {
    if (const auto found = workspaces.find(teamID); found != workspaces.end()) {
        workspaces.erase(found);
    }
}

void AppState::clearAllKeys() {
    for (auto& [teamID, record] : workspaces) {
        record.lastKey.reset();
    }
}

std::vector<std::string> AppState::discardSelfSnapshots() {
    std::vector<std::string> affected;
    for (auto& [teamID, record] : workspaces) {
        if (!record.hasSnapshot()) {
            continue;
        }
        const SlackStatus saved{record.savedText.value_or(""), record.savedEmoji.value_or(""), 0};
        if (saved.isEmpty() || !looksLikeOurs(saved, teamID)) {
            continue;
        }
        record.dropSnapshot();
        affected.push_back(teamID);
    }
    // The map is ordered by team id already; sorting states the promise rather than relying on it.
    std::sort(affected.begin(), affected.end());
    return affected;
}

nlohmann::json AppState::toJson() const {
    nlohmann::json records = nlohmann::json::object();
    for (const auto& [teamID, record] : workspaces) {
        records[teamID] = record.toJson();
    }
    nlohmann::json texts = nlohmann::json::array();
    nlohmann::json emoji = nlohmann::json::array();
    for (const SlackStatus& status : recentlySet) {
        texts.push_back(status.text);
        emoji.push_back(status.emoji);
    }
    return {{std::string(kWorkspacesKey), std::move(records)},
            {std::string(kRecentlySetTextsKey), std::move(texts)},
            {std::string(kRecentlySetEmojiKey), std::move(emoji)}};
}

std::string AppState::encodedData() const {
    // Texts from Slack may hold anything; a broken byte must not make the whole state unsaveable.
    return toJson().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

AppStateReading AppState::fromJson(const nlohmann::json& json) {
    const JsonObjectReader reader(json, JsonPath());
    AppStateReading reading;

    if (const nlohmann::json* records = reader.value(kWorkspacesKey); records != nullptr && records->is_object()) {
        const JsonPath recordsPath = JsonPath().key(kWorkspacesKey);
        for (const auto& [teamID, value] : records->items()) {
            try {
                reading.state.workspaces.insert_or_assign(
                    teamID, StatusOwnershipRecord::fromJson(value, recordsPath.key(teamID)));
            } catch (const DecodeError& error) {
                reading.state.workspaces.insert_or_assign(teamID, StatusOwnershipRecord());
                reading.unreadableRecords.push_back(error);
            }
        }
    }

    const std::vector<std::string> texts = stringList(reader, kRecentlySetTextsKey);
    const std::vector<std::string> emoji = stringList(reader, kRecentlySetEmojiKey);
    // The lists are newest first; what lies past the limit would never be written back, so it is not kept.
    const std::size_t kept = std::min({texts.size(), emoji.size(), recentlySetLimit});
    for (std::size_t index = 0; index < kept; ++index) {
        reading.state.recentlySet.push_back({texts[index], emoji[index], 0});
    }

    reading.discardedSelfSnapshots = reading.state.discardSelfSnapshots();
    return reading;
}

AppStateReading AppState::decode(std::string_view bytes) {
    return fromJson(parseJsonDocument(bytes));
}

} // namespace nimbrel
