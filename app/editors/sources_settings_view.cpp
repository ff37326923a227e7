#include "app/editors/sources_settings_view.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/editors/settings_widgets.h"
#include "app/engine/engine_view_model.h"

namespace nimbrel {

using settings_widgets::noteLabel;
using settings_widgets::qt;

SourcesSettingsView::SourcesSettingsView(EngineViewModel& engine, PermissionOpener openPermissions, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_openPermissions(std::move(openPermissions))
    , m_model(engine.config().sources) {
    auto* layout = new QVBoxLayout(this);
    auto* apps = new QGroupBox(qt(SourcesSettings::kSectionTitle), this);
    auto* appsLayout = new QVBoxLayout(apps);
    for (const PlayerSourceID id : PlayerSourceID::allCases()) {
        RowWidgets row;
        row.enabled = new QCheckBox(qt(id.displayName()), apps);
        row.enabled->setObjectName(qt(id.rawValue()));
        row.status = new QLabel(apps);
        row.status->setObjectName(qt(id.rawValue()) + QStringLiteral("-status"));
        row.status->setWordWrap(true);
        row.status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        row.status->setIndent(24);
        row.permissions = new QPushButton(qt(SourcesSettings::kPermissionButtonTitle), apps);
        row.permissions->setObjectName(qt(id.rawValue()) + QStringLiteral("-permissions"));
        appsLayout->addWidget(row.enabled);
        appsLayout->addWidget(row.status);
        auto* buttonRow = new QHBoxLayout;
        buttonRow->addSpacing(24);
        buttonRow->addWidget(row.permissions);
        buttonRow->addStretch();
        appsLayout->addLayout(buttonRow);
        connect(row.enabled, &QCheckBox::clicked, this, [this, id](bool checked) { setEnabled(id, checked); });
        connect(row.permissions, &QPushButton::clicked, this, [this] {
            const bool opened = m_openPermissions && m_openPermissions();
            m_noPermissionSettings->setVisible(!opened);
        });
        m_rows.emplace(id.value(), row);
    }
    m_noPermissionSettings = settings_widgets::warningLabel(apps);
    m_noPermissionSettings->setText(qt(kNoPermissionSettings));
    m_noPermissionSettings->hide();
    appsLayout->addWidget(m_noPermissionSettings);

    m_checkAgain = new QPushButton(apps);
    m_checkAgain->setObjectName(QStringLiteral("check-again"));
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_checkAgain);
    checkRow->addStretch();
    appsLayout->addLayout(checkRow);
    layout->addWidget(apps);

    m_noSources = new QWidget(this);
    m_noSources->setObjectName(QStringLiteral("no-sources"));
    auto* warningLayout = new QHBoxLayout(m_noSources);
    warningLayout->setContentsMargins(0, 0, 0, 0);
    auto* symbol = settings_widgets::symbolLabel(m_noSources);
    settings_widgets::showSymbol(symbol, AccountsSettings::Symbol::warningTriangle);
    auto* warning = settings_widgets::warningLabel(m_noSources);
    warning->setText(qt(SourcesSettings::kNoSourcesWarning));
    warningLayout->addWidget(symbol, 0, Qt::AlignTop);
    warningLayout->addWidget(warning, 1);
    layout->addWidget(m_noSources);

    layout->addWidget(noteLabel(qt(SourcesSettings::kOrderFooter), this));
    layout->addWidget(noteLabel(qt(SourcesSettings::kUnsupportedFooter), this));
    layout->addStretch();

    connect(m_checkAgain, &QPushButton::clicked, this, &SourcesSettingsView::checkAgain);
    connect(&m_engine, &EngineViewModel::configChanged, this, &SourcesSettingsView::followConfig);
    refresh();
}

void SourcesSettingsView::checkAgain() {
    probe();
}

void SourcesSettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    checkAgain();
}

void SourcesSettingsView::refresh() {
    bool offersPermissions = false;
    for (const SourcesSettings::Row& row : m_model.rows()) {
        RowWidgets& widgets = m_rows.at(row.id.value());
        widgets.enabled->setChecked(row.enabled);
        widgets.status->setText(QString::fromStdString(row.status));
        widgets.permissions->setVisible(row.offersPermissionButton);
        offersPermissions = offersPermissions || row.offersPermissionButton;
    }
    if (!offersPermissions) {
        m_noPermissionSettings->hide(); // about a button that is gone
    }
    m_checkAgain->setText(qt(m_model.checkButtonTitle()));
    m_checkAgain->setEnabled(!m_model.isProbing());
    m_noSources->setVisible(m_model.showsNoSourcesWarning());
}

void SourcesSettingsView::setEnabled(PlayerSourceID id, bool enabled) {
    VibeConfig changed = m_engine.config();
    changed.sources = m_model.setEnabled(id, enabled);
    refresh();
    if (changed.sources != m_engine.config().sources) {
        m_engine.applyConfig(std::move(changed), true);
    }
    probe();
}

void SourcesSettingsView::followConfig() {
    // The configuration may change elsewhere too (reloaded from disk): the switches follow it.
    // Compared as the screen stores them, so a file listing Apple Music first is not a change.
    if (SourcesSettings(m_engine.config().sources).sources() == m_model.sources()) {
        return;
    }
    const bool probing = m_model.isProbing();
    m_model = SourcesSettings(m_engine.config().sources);
    if (probing) {
        m_model.beginProbe();
        m_probeAgain = true;
    }
    refresh();
    if (!probing && isVisible()) {
        probe(); // the engine has its new players by now; a hidden tab checks when it is shown
    }
}

QCoro::Task<> SourcesSettingsView::probe() {
    if (m_model.isProbing()) {
        m_probeAgain = true;
        co_return;
    }
    const std::weak_ptr<bool> alive = m_alive;
    do {
        m_probeAgain = false;
        m_model.beginProbe();
        refresh();
        auto probing = m_engine.probeSources();
        const std::vector<std::pair<PlayerSourceID, NowPlaying>> readings = co_await probing;
        if (alive.expired()) {
            co_return;
        }
        m_model.finishProbe(readings);
    } while (m_probeAgain);
    refresh();
}

} // namespace nimbrel
