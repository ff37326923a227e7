#include "core/ownership/status_ownership_record.h"

#include <nlohmann/json.hpp>

#include "core/ownership/status_ownership.h"

namespace nimbrel {

StatusOwnershipRecord::StatusOwnershipRecord(std::optional<std::string> key, bool setByUs)
    : lastKey(std::move(key))
    , lastSetByUs(setByUs) {}

std::optional<SlackStatus> StatusOwnershipRecord::lastSetStatus() const {
    if (!lastSetText && !lastSetEmoji) {
        return std::nullopt;
    }
    return SlackStatus{lastSetText.value_or(""), lastSetEmoji.value_or(""), 0};
}

std::optional<SlackStatus> StatusOwnershipRecord::savedStatus(Instant now) const {
    if (!StatusOwnership::isSnapshotFresh(savedAt, now) || !hasSnapshot()) {
        return std::nullopt;
    }
    SlackStatus candidate{savedText.value_or(""), savedEmoji.value_or(""), savedExpiration.value_or(0)};
    if (candidate.isEmpty() || StatusOwnership::hasExpired(candidate.expiration, now)) {
        return std::nullopt;
    }
    return candidate;
}

void StatusOwnershipRecord::snapshot(const SlackStatus& status, Instant at) {
    savedText = status.text;
    savedEmoji = status.emoji;
    savedExpiration = status.expiration;
    savedAt = at;
}

void StatusOwnershipRecord::recordWrite(const SlackStatus& status, std::string key) {
    lastKey = std::move(key);
    lastSetText = status.text;
    lastSetEmoji = status.emoji;
    lastSetByUs = true;
    isYielded = false;
}

void StatusOwnershipRecord::yield(const SlackStatus& status, Instant at) {
    snapshot(status, at);
    lastSetByUs = false;
    lastKey.reset();
    lastSetText.reset();
    lastSetEmoji.reset();
    isYielded = true;
}

void StatusOwnershipRecord::releaseStatus() {
    *this = StatusOwnershipRecord();
}

void StatusOwnershipRecord::dropSnapshot() {
    savedText.reset();
    savedEmoji.reset();
    savedExpiration.reset();
    savedAt.reset();
}

nlohmann::json StatusOwnershipRecord::toJson() const {
    nlohmann::json json = nlohmann::json::object();
    const auto put = [&json](std::string_view key, const auto& value) {
        if (value) {
            json[std::string(key)] = *value;
        }
    };
    put(kLastKeyKey, lastKey);
    json[std::string(kLastSetByUsKey)] = lastSetByUs;
    put(kSavedTextKey, savedText);
    put(kSavedEmojiKey, savedEmoji);
    put(kSavedExpirationKey, savedExpiration);
    if (savedAt) {
        json[std::string(kSavedAtKey)] = Instants::secondsSinceReferenceDate(*savedAt);
    }
    put(kLastSetTextKey, lastSetText);
    put(kLastSetEmojiKey, lastSetEmoji);
    json[std::string(kIsYieldedKey)] = isYielded;
    return json;
}

StatusOwnershipRecord StatusOwnershipRecord::fromJson(const nlohmann::json& json, const JsonPath& path) {
    const JsonObjectReader reader(json, path);
    StatusOwnershipRecord record;
    record.lastKey = reader.optionalString(kLastKeyKey);
    record.lastSetByUs = reader.optionalBool(kLastSetByUsKey).value_or(false);
    record.savedText = reader.optionalString(kSavedTextKey);
    record.savedEmoji = reader.optionalString(kSavedEmojiKey);
    record.savedExpiration = reader.optionalInt(kSavedExpirationKey);
    if (const std::optional<double> seconds = reader.optionalDouble(kSavedAtKey)) {
        record.savedAt = Instants::fromSecondsSinceReferenceDate(*seconds);
        if (!record.savedAt) {
            throw DecodeError(path.key(kSavedAtKey).text(), "the date is out of range");
        }
    }
    record.lastSetText = reader.optionalString(kLastSetTextKey);
    record.lastSetEmoji = reader.optionalString(kLastSetEmojiKey);
    record.isYielded = reader.optionalBool(kIsYieldedKey).value_or(false);
    return record;
}

} // namespace nimbrel
