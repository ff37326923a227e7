#include "app/editors/accounts_settings_view.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/editors/settings_widgets.h"
#include "app/engine/engine_view_model.h"

namespace nimbrel {

using settings_widgets::noteLabel;
using settings_widgets::qt;

AccountsSettingsView::AccountsSettingsView(EngineViewModel& engine, SignInLauncher::Opener open, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_open(std::move(open)) {
    auto* layout = new QVBoxLayout(this);

    m_connect = new QPushButton(this);
    m_connect->setObjectName(QStringLiteral("connect"));
    m_connect->setDefault(true);
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(m_connect);
    connectRow->addStretch();
    layout->addLayout(connectRow);

    m_phaseLine = new QWidget(this);
    auto* phaseLayout = new QHBoxLayout(m_phaseLine);
    phaseLayout->setContentsMargins(0, 0, 0, 0);
    m_phaseSymbol = settings_widgets::symbolLabel(m_phaseLine);
    m_phaseText = new QLabel(m_phaseLine);
    m_phaseText->setObjectName(QStringLiteral("phase"));
    m_phaseText->setWordWrap(true);
    m_phaseText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_cancel = new QPushButton(qt(AccountsSettings::kCancel), m_phaseLine);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    phaseLayout->addWidget(m_phaseSymbol, 0, Qt::AlignTop);
    phaseLayout->addWidget(m_phaseText, 1);
    phaseLayout->addWidget(m_cancel, 0, Qt::AlignTop);
    layout->addWidget(m_phaseLine);

    m_unopenedLink = new QLabel(this);
    m_unopenedLink->setObjectName(QStringLiteral("unopened-link"));
    m_unopenedLink->setWordWrap(true);
    m_unopenedLink->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_unopenedLink->hide();
    layout->addWidget(m_unopenedLink);

    m_rowsBox = new QWidget(this);
    m_rows = new QVBoxLayout(m_rowsBox);
    m_rows->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_rowsBox);

    for (const std::string_view text :
         {AccountsSettings::kWhichWorkspace, AccountsSettings::kProfileAccess, AccountsSettings::kWhereTheTokenLives}) {
        layout->addWidget(noteLabel(qt(text), this));
    }
    layout->addStretch();

    connect(m_connect, &QPushButton::clicked, this, &AccountsSettingsView::connectPressed);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_engine.cancelConnect(); });
    connect(&m_engine, &EngineViewModel::connectPhaseChanged, this, &AccountsSettingsView::refresh);
    connect(&m_engine, &EngineViewModel::configChanged, this, &AccountsSettingsView::refresh);
    // A run may find a workspace's token rejected, or a retry may accept it again.
    connect(&m_engine, &EngineViewModel::runFinished, this, &AccountsSettingsView::refresh);
    refresh();
}

void AccountsSettingsView::refresh() {
    const ConnectPhase& phase = m_engine.connectPhase();
    m_connect->setText(qt(AccountsSettings::connectButtonTitle(phase, !m_engine.config().slackAccounts.empty())));
    // While the token is claimed a second attempt would only replace the one about to succeed.
    m_connect->setEnabled(phase.kind != ConnectPhase::Kind::claiming);

    const AccountsSettings::PhaseLine line = AccountsSettings::phaseLine(phase);
    m_phaseText->setText(QString::fromStdString(line.text));
    settings_widgets::showSymbol(m_phaseSymbol, line.symbol);
    m_cancel->setVisible(line.showsCancel);
    m_phaseLine->setVisible(!line.text.empty() || line.showsCancel);
    if (phase.kind != ConnectPhase::Kind::waitingForBrowser) {
        m_unopenedLink->hide();
    }

    const std::vector<AccountsSettings::Row> rows = AccountsSettings::rows(m_engine, m_disconnecting);
    if (!m_rowsShown || rows != m_shownRows) {
        rebuildRows(rows);
    }
}

void AccountsSettingsView::rebuildRows(const std::vector<AccountsSettings::Row>& rows) {
    // Only rows that changed are rebuilt, so a row keeps its keyboard focus while others change.
    std::vector<QWidget*> kept;
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            const auto still = std::find_if(rows.begin(), rows.end(), [&](const AccountsSettings::Row& row) {
                return widget->objectName() == QString::fromStdString("row-" + row.teamID) &&
                       std::find(m_shownRows.begin(), m_shownRows.end(), row) != m_shownRows.end();
            });
            if (m_rowsShown && still != rows.end()) {
                kept.push_back(widget);
            } else {
                widget->hide();
                widget->setObjectName(QString()); // gone from lookups at once, though deleted later
                widget->deleteLater();            // its button may be the one whose click is being handled
            }
        }
        delete item;
    }
    for (const AccountsSettings::Row& row : rows) {
        const QString name = QString::fromStdString("row-" + row.teamID);
        const auto reuse =
            std::find_if(kept.begin(), kept.end(), [&](const QWidget* widget) { return widget->objectName() == name; });
        if (reuse != kept.end()) {
            m_rows->addWidget(*reuse);
            continue;
        }
        auto* frame = new QFrame(m_rowsBox);
        frame->setObjectName(name);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* frameLayout = new QVBoxLayout(frame);
        auto* top = new QHBoxLayout;
        auto* symbol = settings_widgets::symbolLabel(frame);
        settings_widgets::showSymbol(symbol, row.symbol);
        auto* texts = new QVBoxLayout;
        auto* title = new QLabel(QString::fromStdString(row.displayName), frame);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto* state = new QLabel(QString::fromStdString(row.stateText), frame);
        state->setObjectName(QStringLiteral("state"));
        state->setWordWrap(true);
        texts->addWidget(title);
        texts->addWidget(state);
        auto* posting = new QCheckBox(qt(AccountsSettings::kPostToggle), frame);
        posting->setObjectName(QStringLiteral("posting"));
        posting->setChecked(row.isEnabled);
        posting->setAccessibleDescription(QString::fromStdString(row.displayName));
        auto* disconnect = new QPushButton(QString::fromStdString(row.disconnectTitle), frame);
        disconnect->setObjectName(QStringLiteral("disconnect"));
        disconnect->setEnabled(row.canDisconnect);
        disconnect->setAccessibleDescription(QString::fromStdString(row.displayName));
        top->addWidget(symbol, 0, Qt::AlignTop);
        top->addLayout(texts, 1);
        top->addWidget(posting, 0, Qt::AlignTop);
        top->addWidget(disconnect, 0, Qt::AlignTop);
        frameLayout->addLayout(top);
        for (const std::string& warning : row.warnings) {
            auto* warningLine = new QHBoxLayout;
            auto* warningSymbol = settings_widgets::symbolLabel(frame);
            settings_widgets::showSymbol(warningSymbol, AccountsSettings::Symbol::warningTriangle);
            warningLine->addWidget(warningSymbol, 0, Qt::AlignTop);
            warningLine->addWidget(noteLabel(QString::fromStdString(warning), frame), 1);
            frameLayout->addLayout(warningLine);
        }
        const std::string teamID = row.teamID;
        connect(posting, &QCheckBox::clicked, this,
                [this, teamID](bool checked) { m_engine.setPosting(teamID, checked); });
        connect(disconnect, &QPushButton::clicked, this, [this, teamID] { disconnectPressed(teamID); });
        m_rows->addWidget(frame);
    }
    m_shownRows = rows;
    m_rowsShown = true;
    m_rowsBox->setVisible(!rows.empty());
}

void AccountsSettingsView::connectPressed() {
    const SignInLauncher::Result started = SignInLauncher::start(m_engine, m_open);
    if (started.outcome == SignInLauncher::Outcome::notOpened && started.link) {
        m_unopenedLink->setText(qt(kOpenByHand) + QLatin1Char('\n') + started.link->toString(QUrl::FullyEncoded));
        m_unopenedLink->setTextFormat(Qt::PlainText);
        m_unopenedLink->show();
    } else {
        m_unopenedLink->hide();
    }
    refresh();
}

void AccountsSettingsView::disconnectPressed(const std::string& teamID) {
    const std::vector<SlackAccount>& accounts = m_engine.config().slackAccounts;
    const auto account =
        std::find_if(accounts.begin(), accounts.end(), [&](const SlackAccount& each) { return each.teamID == teamID; });
    if (account == accounts.end() || !m_disconnecting.insert(teamID).second) {
        return;
    }
    refresh();
    disconnectInBackground(this, m_engine, *account);
}

QCoro::Task<> AccountsSettingsView::disconnectInBackground(QPointer<AccountsSettingsView> self, EngineViewModel& engine,
                                                           SlackAccount account) {
    const std::string teamID = account.teamID;
    co_await engine.disconnect(std::move(account));
    if (self) {
        self->m_disconnecting.erase(teamID);
        self->refresh();
    }
}

} // namespace nimbrel
