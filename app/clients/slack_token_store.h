#pragma once

#include <QFuture>
#include <QThreadPool>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/clients/keychain_error.h"
#include "app/clients/secret_store.h"
#include "app/clients/secret_text.h"

namespace nimbrel {

/// The Slack user token of each connected workspace, one keyring item per workspace keyed by its team id:
/// attributes `service` = "com.quillmoor.nimbrel" and `account` = the team id, which is also how a user finds
/// them (`secret-tool lookup service com.quillmoor.nimbrel account T…`).
///
/// Every call runs on one background thread of the store's, in call order, and answers with a future: await it
/// in a coroutine (`co_await store.read(teamID)`, with <QCoroFuture>), attach `.then()`, or block on
/// `.result()` where blocking is fine. Nothing unlocks a keyring or raises a prompt; tokens never reach a log.
class SlackTokenStore final {
public:
    using KeychainError = nimbrel::KeychainError;

    static constexpr const char* kService = "com.quillmoor.nimbrel";
    /// Marks the items we create, for keyring browsers that group items by kind; never matched.
    static constexpr const char* kSchemaName = "com.quillmoor.nimbrel.SlackToken";
    static constexpr const char* kDescription = "Slack user token";

    /// "Nimbrel — Slack (T…)", the label a new item gets.
    static std::string itemLabel(std::string_view teamID);
    /// The error line of a read that failed: "SlackTokenStore: read failed for T… (2)".
    static std::string readFailedLine(std::string_view teamID, std::int32_t status);

    SlackTokenStore();
    /// Waits for the calls in flight.
    ~SlackTokenStore();
    SlackTokenStore(const SlackTokenStore&) = delete;
    SlackTokenStore& operator=(const SlackTokenStore&) = delete;

    /// The workspace's token, no token, or a failure (logged); a missing item logs nothing.
    QFuture<SecretLookup> read(std::string teamID);
    /// Stores the token: replaces the secret of an existing item (label and description unchanged), or
    /// creates an item in the default keyring. No error means done.
    QFuture<std::optional<KeychainError>> write(SecretText token, std::string teamID);
    /// Deletes the workspace's item; a workspace without one is done at once.
    QFuture<std::optional<KeychainError>> deleteToken(std::string teamID);

private:
    template <typename Result, typename Job>
    QFuture<Result> runInBackground(Job job);

    std::shared_ptr<const SecretStore> m_store;
    QThreadPool m_worker;
};

} // namespace nimbrel
