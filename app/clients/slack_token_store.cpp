#include "app/clients/slack_token_store.h"

#include <QPromise>
#include <utility>

#include "app/log/app_log.h"

namespace nimbrel {

// libsecret's calls wait for the Secret Service's answer. They run on a thread of ours rather than as
// libsecret's asynchronous calls on the Qt event loop: those would only complete when Qt happens to run on
// GLib's event dispatcher (QT_NO_GLIB, or a Qt built without it, would leave them hanging), and a slow or
// stuck keyring daemon must not freeze the user interface. One thread keeps the calls in order.

std::string SlackTokenStore::itemLabel(std::string_view teamID) {
    return "Nimbrel — Slack (" + std::string(teamID) + ")";
}

std::string SlackTokenStore::readFailedLine(std::string_view teamID, std::int32_t status) {
    return "SlackTokenStore: read failed for " + std::string(teamID) + " (" + std::to_string(status) + ")";
}

SlackTokenStore::SlackTokenStore()
    : m_store(std::make_shared<const SecretStore>(kService, kSchemaName)) {
    m_worker.setMaxThreadCount(1);
}

SlackTokenStore::~SlackTokenStore() {
    m_worker.waitForDone();
}

template <typename Result, typename Job>
QFuture<Result> SlackTokenStore::runInBackground(Job job) {
    // The pool takes copyable jobs only, so the promise is shared.
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    m_worker.start([promise, job = std::move(job)]() mutable {
        promise->addResult(job());
        promise->finish();
    });
    return future;
}

QFuture<SecretLookup> SlackTokenStore::read(std::string teamID) {
    return runInBackground<SecretLookup>([store = m_store, teamID = std::move(teamID)] {
        SecretLookup lookup = store->read(teamID);
        if (lookup.failed()) {
            log(readFailedLine(teamID, lookup.error->status), LogLevel::error);
        }
        return lookup;
    });
}

QFuture<std::optional<KeychainError>> SlackTokenStore::write(SecretText token, std::string teamID) {
    return runInBackground<std::optional<KeychainError>>(
        [store = m_store, token = std::move(token), teamID = std::move(teamID)]() mutable {
            auto error = store->write(token, teamID, {itemLabel(teamID), kDescription});
            token.wipe();
            return error;
        });
}

QFuture<std::optional<KeychainError>> SlackTokenStore::deleteToken(std::string teamID) {
    return runInBackground<std::optional<KeychainError>>(
        [store = m_store, teamID = std::move(teamID)] { return store->remove(teamID); });
}

} // namespace nimbrel
