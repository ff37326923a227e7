#pragma once

#include <QPointer>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "app/engine/accounts_settings.h"
#include "app/engine/sign_in_launcher.h"
#include "core/slack/slack_account.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace nimbrel {

class EngineViewModel;

/// The Accounts tab: draws `AccountsSettings` for the engine's workspaces and connect phase, and forwards
/// the connect button, Cancel, "Post my status here" and "Disconnect" to the engine.
class AccountsSettingsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccountsSettingsView)

public:
    /// `open` hands the sign-in link to the browser (`openExternally` in the program).
    AccountsSettingsView(EngineViewModel& engine, SignInLauncher::Opener open, QWidget* parent = nullptr);

    /// Texts shown when no browser took the sign-in link, followed by the link itself.
    static constexpr std::string_view kOpenByHand =
        "Nimbrel couldn’t open your browser. Open this address in it to carry on:";

private:
    void refresh();
    void rebuildRows(const std::vector<AccountsSettings::Row>& rows);
    void connectPressed();
    void disconnectPressed(const std::string& teamID);
    static QCoro::Task<> disconnectInBackground(QPointer<AccountsSettingsView> self, EngineViewModel& engine,
                                                SlackAccount account);

    EngineViewModel& m_engine;
    SignInLauncher::Opener m_open;
    std::set<std::string> m_disconnecting;
    std::vector<AccountsSettings::Row> m_shownRows;
    bool m_rowsShown = false;

    QPushButton* m_connect = nullptr;
    QLabel* m_phaseSymbol = nullptr;
    QLabel* m_phaseText = nullptr;
    QPushButton* m_cancel = nullptr;
    QWidget* m_phaseLine = nullptr;
    QLabel* m_unopenedLink = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QWidget* m_rowsBox = nullptr;
};

} // namespace nimbrel
