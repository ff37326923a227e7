#include "app/engine/accounts_settings.h"

#include "app/engine/engine_view_model.h"

namespace nimbrel {

std::string_view AccountsSettings::iconName(Symbol symbol) {
    switch (symbol) {
    case Symbol::checkMark:
        return "emblem-ok-symbolic";
    case Symbol::pause:
        return "media-playback-pause-symbolic";
    case Symbol::warningTriangle:
        return "dialog-warning-symbolic";
    case Symbol::circularArrow:
        return "view-refresh-symbolic";
    case Symbol::none:
        break;
    }
    return {};
}

std::string_view AccountsSettings::connectButtonTitle(const ConnectPhase& phase, bool hasAccounts) {
    if (phase.kind == ConnectPhase::Kind::claiming) {
        return kFinishing;
    }
    return hasAccounts ? kAddWorkspace : kConnectSlack;
}

AccountsSettings::PhaseLine AccountsSettings::phaseLine(const ConnectPhase& phase) {
    switch (phase.kind) {
    case ConnectPhase::Kind::refreshed:
        return {phase.detail + std::string(kRefreshedSuffix), Symbol::circularArrow, false};
    case ConnectPhase::Kind::failed:
        return {phase.detail, Symbol::warningTriangle, false};
    case ConnectPhase::Kind::waitingForBrowser:
        return {std::string(kWaitingForSlack), Symbol::none, true};
    case ConnectPhase::Kind::idle:
    case ConnectPhase::Kind::claiming:
        break;
    }
    return {};
}

std::string AccountsSettings::rejectedText(std::string_view code) {
    return "Slack rejected this connection (" + std::string(code) + "). Reconnect to carry on.";
}

std::string AccountsSettings::plainState(const SlackAccount& account, const std::optional<std::string>& rejectedCode) {
    if (rejectedCode) {
        return "rejected (" + *rejectedCode + ")";
    }
    return account.isEnabled ? "posting" : "connected, not posting";
}

AccountsSettings::Row AccountsSettings::row(const SlackAccount& account, const std::optional<std::string>& rejectedCode,
                                            bool disconnecting) {
    Row row;
    row.teamID = account.teamID;
    row.displayName = account.displayName();
    row.isEnabled = account.isEnabled;
    if (rejectedCode) {
        row.state = RowState::rejected;
        row.stateText = rejectedText(*rejectedCode);
        row.symbol = Symbol::warningTriangle;
    } else if (account.isEnabled) {
        row.state = RowState::posting;
        row.stateText = kPosting;
        row.symbol = Symbol::checkMark;
    } else {
        row.state = RowState::connectedNotPosting;
        row.stateText = kConnectedNotPosting;
        row.symbol = Symbol::pause;
    }
    if (!account.hasScope(kProfileReadScope)) {
        row.warnings.emplace_back(kNoProfileRead);
    }
    if (!account.hasScope(kEmojiReadScope)) {
        row.warnings.emplace_back(kNoEmojiRead);
    }
    row.disconnectTitle = disconnecting ? kDisconnecting : kDisconnect;
    row.canDisconnect = !disconnecting;
    row.plainState = plainState(account, rejectedCode);
    return row;
}

std::vector<AccountsSettings::Row> AccountsSettings::rows(const EngineViewModel& engine,
                                                          const std::set<std::string>& disconnecting) {
    std::vector<Row> rows;
    for (const SlackAccount& account : engine.config().slackAccounts) {
        const SlackWorkspaceRuntime* runtime = engine.slack().runtime(account.teamID);
        rows.push_back(row(account, runtime != nullptr ? runtime->needsReauth : std::nullopt,
                           disconnecting.contains(account.teamID)));
    }
    return rows;
}

} // namespace nimbrel
