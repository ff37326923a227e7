#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/json/json_reader.h"
#include "core/nimbrel_core_export.h"
#include "core/ownership/slack_status.h"
#include "core/time/instant.h"

namespace nimbrel {

/// What the program remembers about one workspace: the status it last wrote, and the status it saved before
/// taking over (so that it can put it back). A workspace without a record is treated as the empty record.
struct NIMBREL_CORE_EXPORT StatusOwnershipRecord {
    /// Dedupe key of the last status written; cleared to force the next run to write again.
    std::optional<std::string> lastKey;
    /// The program wrote the status that should be on Slack now.
    bool lastSetByUs = false;
    /// The status saved before taking over: its text, emoji, expiration (seconds since 1970, 0 never) …
    std::optional<std::string> savedText;
    std::optional<std::string> savedEmoji;
    std::optional<std::int64_t> savedExpiration;
    /// … and when it was saved.
    std::optional<Instant> savedAt;
    /// The last status written, as Slack echoed it.
    std::optional<std::string> lastSetText;
    std::optional<std::string> lastSetEmoji;
    /// The program stood back because somebody else changed the status.
    bool isYielded = false;

    /// Keys of a record in the state file.
    static constexpr std::string_view kLastKeyKey = "last_key";
    static constexpr std::string_view kLastSetByUsKey = "last_set_by_us";
    static constexpr std::string_view kSavedTextKey = "saved_text";
    static constexpr std::string_view kSavedEmojiKey = "saved_emoji";
    static constexpr std::string_view kSavedExpirationKey = "saved_expiration";
    static constexpr std::string_view kSavedAtKey = "saved_at";
    static constexpr std::string_view kLastSetTextKey = "last_set_text";
    static constexpr std::string_view kLastSetEmojiKey = "last_set_emoji";
    static constexpr std::string_view kIsYieldedKey = "is_yielded";

    /// The empty record: nothing known, both flags false.
    StatusOwnershipRecord() = default;
    /// A record with only a key and the flag set.
    StatusOwnershipRecord(std::optional<std::string> key, bool setByUs);

    /// The last status written (expiration 0), or none when neither its text nor its emoji is known.
    std::optional<SlackStatus> lastSetStatus() const;
    /// The status to put back at `now`: none unless a snapshot is held, fresh (at most 12 hours old, not
    /// dated in the future), not empty and not expired.
    std::optional<SlackStatus> savedStatus(Instant now) const;
    /// Whether a saved status is held at all, fresh or not.
    bool hasSnapshot() const noexcept { return savedText.has_value() || savedEmoji.has_value(); }

    /// Saves `status` (its expiration too, even when 0) as taken at `at`; nothing else changes.
    void snapshot(const SlackStatus& status, Instant at);
    /// Notes that the program wrote `status` under `key`: the status is now ours and no longer yielded. The
    /// snapshot is kept, so the status from before the first write can still be put back.
    void recordWrite(const SlackStatus& status, std::string key);
    /// Stands back from `status`, which somebody else put up: it becomes the snapshot, and the program no
    /// longer claims the status on Slack.
    void yield(const SlackStatus& status, Instant at);
    /// Back to the empty record, after the status was handed back or the workspace reconnected.
    void releaseStatus();
    /// Forgets the saved status and when it was saved; the rest of the record stays.
    void dropSnapshot();

    /// The record as stored: both flags always, each optional field only when present, `saved_at` in
    /// seconds since 2001-01-01 00:00:00 UTC.
    nlohmann::json toJson() const;
    /// Reads a record leniently per key (missing keys give absent fields and false flags) but strictly per
    /// type: a key of the wrong type throws DecodeError at its path.
    static StatusOwnershipRecord fromJson(const nlohmann::json& json, const JsonPath& path = {});

    friend bool operator==(const StatusOwnershipRecord&, const StatusOwnershipRecord&) = default;
};

} // namespace nimbrel
