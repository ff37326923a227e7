#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/json/decode_error.h"
#include "core/nimbrel_core_export.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/status_ownership_record.h"
#include "core/time/instant.h"

namespace nimbrel {

struct AppStateReading;

/// What the program remembers between runs about the statuses it wrote: one ownership record per workspace
/// (by team id) and the statuses it set recently. It is what lets the program, after a restart, still
/// recognise its own status, stand back from somebody else's, and put back what was there before.
struct NIMBREL_CORE_EXPORT AppState {
    std::map<std::string, StatusOwnershipRecord, std::less<>> workspaces;
    /// Newest first, no two the same status, at most `recentlySetLimit`.
    std::vector<SlackStatus> recentlySet;

    /// The most statuses `recentlySet` holds.
    static constexpr std::size_t recentlySetLimit = 8;

    /// Keys of the state file.
    static constexpr std::string_view kWorkspacesKey = "workspaces";
    static constexpr std::string_view kRecentlySetTextsKey = "recently_set_texts";
    static constexpr std::string_view kRecentlySetEmojiKey = "recently_set_emoji";

    /// The workspace's record, or the empty record; never adds one.
    StatusOwnershipRecord record(std::string_view teamID) const;
    /// Whether the status is the one last written to the workspace or one of the recently set statuses.
    bool looksLikeOurs(const SlackStatus& status, std::string_view teamID) const;

    /// Saves `status` as the workspace's snapshot taken at `at`.
    void snapshot(const SlackStatus& status, Instant at, std::string_view teamID);
    /// Notes a write to the workspace and puts the status at the front of the recent list; then drops every
    /// snapshot that has thereby become recognisably one of our own statuses.
    void recordWrite(const SlackStatus& status, std::string key, std::string_view teamID);
    /// Stands back in the workspace from `status`, which becomes its snapshot — unless the status is one of
    /// the program's own (written from another run or another machine), which is never kept to be restored.
    void yield(const SlackStatus& status, Instant at, std::string_view teamID);
    /// Returns the workspace to the empty record (it keeps an entry).
    void releaseStatus(std::string_view teamID);
    /// Removes the workspace's record altogether.
    void forget(std::string_view teamID);
    /// Clears every record's dedupe key, so that the next run writes to every workspace again.
    void clearAllKeys();
    /// Drops saved statuses that are the program's own, so it never restores one of them as if it were the
    /// user's. Returns the team ids affected, in ascending order.
    std::vector<std::string> discardSelfSnapshots();

    /// The document: "workspaces" and the recent list as two parallel arrays (expirations are not kept).
    nlohmann::json toJson() const;
    /// The document as compact JSON text.
    std::string encodedData() const;

    /// Reads a document leniently: a missing or non-object "workspaces" gives no records, a record that
    /// cannot be read becomes the empty record, recent lists of different lengths are paired up to the
    /// shorter. Throws DecodeError when the document is not an object or a recent list is not a list of
    /// texts. Own snapshots are discarded after reading.
    static AppStateReading fromJson(const nlohmann::json& json);
    /// Parses and reads the text of a state file, as `fromJson`.
    static AppStateReading decode(std::string_view bytes);

    friend bool operator==(const AppState&, const AppState&) = default;
};

/// A state as read from its document, with what the reading left out.
struct NIMBREL_CORE_EXPORT AppStateReading {
    AppState state;
    /// Team ids whose saved status was one of the program's own and was dropped, in ascending order.
    std::vector<std::string> discardedSelfSnapshots;
    /// Why each record that became the empty record could not be read (its location names the team id).
    std::vector<DecodeError> unreadableRecords;
};

} // namespace nimbrel
