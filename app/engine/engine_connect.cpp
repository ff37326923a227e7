// Connecting and disconnecting workspaces: the engine's half of the sign-in protocol, from the start link to
// a live runtime, and the way back out.

#include <algorithm>
#include <exception>
#include <utility>

#include <qcoro/qcorofuture.h>

#include "app/clients/api_endpoint.h"
#include "app/clients/secret_text.h"
#include "app/clients/slack_auth_client.h"
#include "app/engine/connect_text.h"
#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
#include "core/slack/slack_auth.h"
#include "core/url/url.h"

namespace nimbrel {

std::optional<QUrl> EngineViewModel::beginConnect() {
    ++m_connectAttempt;
    const QUrl& base = m_parts.signInBase;
    if (base.isValid() && !APIEndpoint::isConfigured(base)) {
        m_pendingVerifier.reset();
        setConnectPhase(ConnectPhase::failed(std::string(ConnectText::kServiceNotSet)));
        return std::nullopt;
    }
    std::string verifier;
    std::optional<Url> link;
    try {
        verifier = SlackAuth::makeVerifier();
        if (const std::optional<Url> parsedBase = Url::parse(base.toString(QUrl::FullyEncoded).toStdString())) {
            link = SlackAuth::startURL(*parsedBase, SlackAuth::challenge(verifier));
        }
    } catch (const std::exception& error) {
        log(ConnectText::noVerifier(error.what()), LogLevel::error);
    }
    const QUrl address = link ? QUrl(QString::fromStdString(link->text()), QUrl::StrictMode) : QUrl();
    if (!address.isValid() || address.isEmpty()) {
        // The older attempt, if any, is over too: its callback would otherwise be claimed under a failed phase.
        m_pendingVerifier.reset();
        setConnectPhase(ConnectPhase::failed(std::string(ConnectText::kNoLink)));
        return std::nullopt;
    }
    m_pendingVerifier = std::move(verifier);
    setConnectPhase(ConnectPhase::waitingForBrowser());
    return address;
}

void EngineViewModel::cancelConnect() {
    m_pendingVerifier.reset();
    setConnectPhase(ConnectPhase::idle());
}

QCoro::Task<> EngineViewModel::handleCallback(QString address) {
    if (!m_pendingVerifier) {
        log(ConnectText::kIgnoringCallback, LogLevel::info);
        co_return;
    }
    const SlackAuth::CallbackResult parsed = SlackAuth::parseCallback(address.toStdString());
    if (const SlackAuthError* refusal = parsed.error()) {
        m_pendingVerifier.reset();
        setConnectPhase(ConnectPhase::failed(refusal->description()));
        log(ConnectText::callbackRefused(*refusal), LogLevel::error);
        co_return;
    }
    if (*parsed.state() != SlackAuth::challenge(*m_pendingVerifier)) {
        m_pendingVerifier.reset();
        setConnectPhase(ConnectPhase::failed(SlackAuthError::invalidState().description()));
        log(ConnectText::kStateMismatch, LogLevel::error);
        co_return;
    }
    // The verifier is spent from here on: a second delivery of this callback is ignored.
    const std::string verifier = *std::exchange(m_pendingVerifier, std::nullopt);
    const std::uint64_t attempt = m_connectAttempt;
    setConnectPhase(ConnectPhase::claiming());

    const std::weak_ptr<bool> alive = m_alive;
    const SlackAuthClient client(m_parts.signInBase, m_parts.signInSession, kClaimAttempts);
    auto claiming = client.claim(verifier);
    Outcome<SlackAuthClient::Connection, SlackAuthClient::ClaimError> claimed = co_await claiming;
    if (alive.expired()) {
        co_return;
    }
    if (!claimed) {
        const std::string description = claimed.error().description();
        settleAttempt(attempt, ConnectPhase::failed(description));
        log(ConnectText::claimFailed(description), LogLevel::error);
        co_return;
    }
    SlackAuthClient::Connection connection = std::move(claimed).value();
    const SlackAccount account = connection.account;
    if (account.teamID.empty()) {
        // Without a team id the workspace has no identity: its keyring item, ownership record and account
        // would all collide with the next such answer.
        SecretText::wipe(connection.token);
        const std::string description = SlackAuthClient::kBadResponseDescription;
        settleAttempt(attempt, ConnectPhase::failed(description));
        log(ConnectText::claimFailed(description), LogLevel::error);
        co_return;
    }
    const bool wasConnected = std::any_of(m_config.slackAccounts.begin(), m_config.slackAccounts.end(),
                                          [&](const SlackAccount& each) { return each.teamID == account.teamID; });

    SecretText token(std::move(connection.token));
    QFuture<std::optional<KeychainError>> writing = m_parts.writeToken(token, account.teamID);
    const std::optional<KeychainError> refused = co_await writing;
    if (alive.expired()) {
        co_return;
    }
    if (refused) {
        // Nothing is recorded: an account without its token would only come back as "no stored token".
        const std::string description = refused->description();
        settleAttempt(attempt, ConnectPhase::failed(description));
        log(ConnectText::claimFailed(description), LogLevel::error);
        co_return;
    }
    adoptConnection(std::string(token.view()), account);
    settleAttempt(attempt, wasConnected ? ConnectPhase::refreshed(account.displayName()) : ConnectPhase::idle());
    log(wasConnected ? ConnectText::refreshed(account.teamID) : ConnectText::connected(account.teamID), LogLevel::info);
}

void EngineViewModel::adoptConnection(const std::string& token, const SlackAccount& account) {
    SlackWorkspaceRuntime runtime;
    runtime.client = m_parts.makeClient(token);
    m_slack->setRuntime(account.teamID, std::move(runtime));
    // The new token may belong to another user or may list other emoji.
    m_workspaceEmojiLoaded.erase(account.teamID);
    m_state.releaseStatus(account.teamID);
    saveState();
    VibeConfig changed = m_config;
    changed.slackAccounts = SlackAccount::upserting(account, std::move(changed.slackAccounts));
    // At once, so the workspace shows what is playing instead of waiting for the next track or poll.
    applyConfig(std::move(changed), true);
}

QCoro::Task<> EngineViewModel::disconnect(SlackAccount account) {
    const std::weak_ptr<bool> alive = m_alive;
    const std::string teamID = account.teamID;
    if (const SlackWorkspaceRuntime* runtime = m_slack->runtime(teamID); runtime != nullptr && runtime->client) {
        const std::shared_ptr<const SlackApi> client = runtime->client;
        auto revoking = client->revoke();
        const SlackApi::Result<std::monostate> revoked = co_await revoking;
        if (alive.expired()) {
            co_return;
        }
        if (revoked) {
            log(ConnectText::tokenRevoked(teamID), LogLevel::info);
        } else {
            log(ConnectText::revokeFailed(teamID, revoked.error().description()), LogLevel::error);
        }
    }
    QFuture<std::optional<KeychainError>> deleting = m_parts.deleteToken(teamID);
    const std::optional<KeychainError> notDeleted = co_await deleting;
    if (alive.expired()) {
        co_return;
    }
    if (notDeleted) {
        log(ConnectText::deleteFailed(teamID, notDeleted->description()), LogLevel::error);
    }
    m_slack->removeRuntime(teamID);
    m_workspaceEmojiLoaded.erase(teamID);
    m_state.forget(teamID);
    saveState();
    VibeConfig changed = m_config;
    std::erase_if(changed.slackAccounts, [&](const SlackAccount& each) { return each.teamID == teamID; });
    applyConfig(std::move(changed), false);
    // A finished attempt's message goes; an attempt still in flight keeps its phase, or a waiting
    // `nimbrel connect` would take "idle" for a finished connection.
    if (m_connectPhase.kind == ConnectPhase::Kind::refreshed || m_connectPhase.kind == ConnectPhase::Kind::failed) {
        setConnectPhase(ConnectPhase::idle());
    }
}

void EngineViewModel::setConnectPhase(ConnectPhase phase) {
    if (phase != m_connectPhase) {
        m_connectPhase = std::move(phase);
        Q_EMIT connectPhaseChanged();
    }
}

void EngineViewModel::settleAttempt(std::uint64_t attempt, ConnectPhase phase) {
    if (attempt == m_connectAttempt) {
        setConnectPhase(std::move(phase));
    }
}

} // namespace nimbrel
