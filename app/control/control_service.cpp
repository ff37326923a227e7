#include "app/control/control_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "app/engine/accounts_settings.h"
#include "app/engine/engine_view_model.h"
#include "app/engine/sign_in_launcher.h"
#include "app/log/app_log.h"
#include "core/slack/slack_auth.h"
#include "core/slack/slack_auth_error.h"

namespace nimbrel {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Only the address a browser opens for our scheme is handed to the engine: another program on the bus
// cannot feed it anything else, and an oversized address is refused before anything parses or logs it.
bool isAuthAddress(const QString& address) {
    if (address.size() > ControlProtocol::kMaxAddressLength) {
        return false;
    }
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && url.scheme().compare(toQString(SlackAuth::callbackScheme), Qt::CaseInsensitive) == 0 &&
           url.host().compare(toQString(SlackAuth::callbackHost), Qt::CaseInsensitive) == 0;
}

// The workspace a user names: its team id exactly, else the one display name that matches, ignoring case.
std::optional<SlackAccount> findWorkspace(const std::vector<SlackAccount>& accounts, const QString& name,
                                          QString& problem) {
    const std::string wanted = name.toStdString();
    for (const SlackAccount& account : accounts) {
        if (account.teamID == wanted) {
            return account;
        }
    }
    std::vector<const SlackAccount*> named;
    for (const SlackAccount& account : accounts) {
        if (toQString(account.displayName()).compare(name, Qt::CaseInsensitive) == 0) {
            named.push_back(&account);
        }
    }
    if (named.size() == 1) {
        return *named.front();
    }
    problem = named.empty() ? QStringLiteral("No connected workspace is called \u201C%1\u201D.").arg(name)
                            : QStringLiteral("More than one workspace is called \u201C%1\u201D \u2014 name it by "
                                             "its team id.")
                                  .arg(name);
    return std::nullopt;
}

QCoro::Task<> disconnectAndReply(EngineViewModel& engine, SlackAccount account, QDBusConnection bus,
                                 QDBusMessage request) {
    const QString name = QString::fromStdString(account.displayName());
    auto disconnecting = engine.disconnect(std::move(account));
    co_await disconnecting;
    bus.send(request.createReply(name));
}

} // namespace

ControlService::ControlService(EngineViewModel& engine, Hooks hooks, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_hooks(std::move(hooks)) {
    connect(&m_engine, &EngineViewModel::connectPhaseChanged, this, [this] {
        const ConnectPhase& phase = m_engine.connectPhase();
        Q_EMIT ConnectPhaseChanged(toQString(phase.word()), QString::fromStdString(phase.detail));
    });
}

QString ControlService::catStateWord(DevoState state) {
    switch (state) {
    case DevoState::playing:
        return QStringLiteral("playing");
    case DevoState::paused:
        return QStringLiteral("paused");
    case DevoState::notConnected:
        return QStringLiteral("not-connected");
    case DevoState::error:
        return QStringLiteral("error");
    }
    return QStringLiteral("error");
}

void ControlService::OpenAddress(const QString& address) {
    if (!isAuthAddress(address)) {
        log("connect: refused an address that isn\u2019t a nimbrel://auth callback", LogLevel::error);
        sendErrorReply(QString::fromLatin1(ControlProtocol::kErrorNotAnAuthAddress),
                       QString::fromStdString(SlackAuthError::malformedCallback().description()));
        return;
    }
    m_engine.handleCallback(address);
}

void ControlService::Activate() {
    if (m_hooks.activate) {
        m_hooks.activate();
    }
}

QString ControlService::GetStatus(QString& catState, bool& paused) {
    catState = catStateWord(m_engine.devoState());
    paused = m_engine.isPaused();
    return m_engine.statusLine();
}

ControlWorkspaceList ControlService::ListWorkspaces() {
    ControlWorkspaceList workspaces;
    for (const SlackAccount& account : m_engine.config().slackAccounts) {
        const SlackWorkspaceRuntime* runtime = m_engine.slack().runtime(account.teamID);
        const std::optional<std::string> rejection =
            runtime != nullptr ? runtime->needsReauth : std::optional<std::string>();
        workspaces.append({.teamID = QString::fromStdString(account.teamID),
                           .displayName = QString::fromStdString(account.displayName()),
                           .isEnabled = account.isEnabled,
                           .rejection = QString::fromStdString(rejection.value_or(std::string())),
                           .state = QString::fromStdString(AccountsSettings::plainState(account, rejection))});
    }
    return workspaces;
}

bool ControlService::Pause() {
    if (m_engine.isPaused()) {
        return false;
    }
    m_engine.togglePause();
    return true;
}

bool ControlService::Resume() {
    if (!m_engine.isPaused()) {
        return false;
    }
    m_engine.togglePause();
    return true;
}

void ControlService::UpdateNow() {
    m_engine.updateNow();
}

void ControlService::Quit() {
    // The answer goes out first; the caller then watches the name go away.
    QTimer::singleShot(0, this, [this] {
        if (m_hooks.quit) {
            m_hooks.quit();
        }
    });
}

QString ControlService::BeginConnect() {
    // Whoever asked opens the link in a browser (the command does, unless told not to).
    const SignInLauncher::Result started = SignInLauncher::start(m_engine, {});
    if (!started.link) {
        sendErrorReply(QString::fromLatin1(ControlProtocol::kErrorConnectFailed),
                       QString::fromStdString(m_engine.connectPhase().detail));
        return {};
    }
    return started.link->toString(QUrl::FullyEncoded);
}

void ControlService::CancelConnect() {
    m_engine.cancelConnect();
}

QString ControlService::GetConnectPhase(QString& detail) {
    const ConnectPhase& phase = m_engine.connectPhase();
    detail = QString::fromStdString(phase.detail);
    return toQString(phase.word());
}

QString ControlService::Disconnect(const QString& workspace) {
    QString problem;
    std::optional<SlackAccount> account = findWorkspace(m_engine.config().slackAccounts, workspace, problem);
    if (!account) {
        sendErrorReply(QString::fromLatin1(ControlProtocol::kErrorNoSuchWorkspace), problem);
        return {};
    }
    setDelayedReply(true);
    disconnectAndReply(m_engine, std::move(*account), connection(), message());
    return {};
}

} // namespace nimbrel
