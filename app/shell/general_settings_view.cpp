#include "app/shell/general_settings_view.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string_view>

#include "app/editors/settings_widgets.h"
#include "app/shell/general_settings.h"

namespace nimbrel {
namespace {

using settings_widgets::noteLabel;
using settings_widgets::qt;

QGroupBox* section(std::string_view title, QWidget* parent) {
    auto* box = new QGroupBox(qt(title), parent);
    box->setLayout(new QVBoxLayout);
    return box;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    for (QPushButton* button : buttons) {
        row->addWidget(button);
    }
    row->addStretch();
    return row;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(GeneralSettings& settings, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings) {
    auto* layout = new QVBoxLayout(this);

    QGroupBox* startup = section(GeneralSettings::kStartupSection, this);
    m_openAtLogin = new QCheckBox(qt(GeneralSettings::kOpenAtLogin), startup);
    m_startupStatus = new QLabel(startup);
    auto* autostartFolder = new QPushButton(qt(GeneralSettings::kOpenAutostartFolder), startup);
    m_startupError = settings_widgets::warningLabel(startup);
    auto* startupRow = new QHBoxLayout;
    startupRow->addWidget(m_openAtLogin);
    startupRow->addStretch();
    startupRow->addWidget(m_startupStatus);
    auto* startupLayout = static_cast<QVBoxLayout*>(startup->layout());
    startupLayout->addLayout(startupRow);
    startupLayout->addLayout(buttonRow({autostartFolder}));
    startupLayout->addWidget(noteLabel(qt(GeneralSettings::kStartupNote), startup));
    startupLayout->addWidget(m_startupError);
    layout->addWidget(startup);

    QGroupBox* island = section(GeneralSettings::kIslandSection, this);
    m_animateDevo = new QCheckBox(qt(GeneralSettings::kAnimateDevo), island);
    island->layout()->addWidget(m_animateDevo);
    island->layout()->addWidget(noteLabel(qt(GeneralSettings::kAnimateNote), island));
    layout->addWidget(island);

    QGroupBox* config = section(GeneralSettings::kConfigSection, this);
    auto* location = new QFormLayout;
    auto* path = new QLabel(QString::fromStdString(settings.configFile().string()), config);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    location->addRow(qt(GeneralSettings::kLocation), path);
    auto* showConfig = new QPushButton(qt(GeneralSettings::kShowInFiles), config);
    auto* reload = new QPushButton(qt(GeneralSettings::kReloadFromDisk), config);
    m_reloadProblem = settings_widgets::warningLabel(config);
    auto* configLayout = static_cast<QVBoxLayout*>(config->layout());
    configLayout->addLayout(location);
    configLayout->addLayout(buttonRow({showConfig, reload}));
    configLayout->addWidget(m_reloadProblem);
    layout->addWidget(config);

    QGroupBox* diagnostics = section(GeneralSettings::kDiagnosticsSection, this);
    auto* showLog = new QPushButton(qt(GeneralSettings::kShowLogInFiles), diagnostics);
    auto* diagnosticsLayout = static_cast<QVBoxLayout*>(diagnostics->layout());
    diagnosticsLayout->addLayout(buttonRow({showLog}));
    if (settings.isTracing()) {
        diagnosticsLayout->addWidget(noteLabel(qt(GeneralSettings::kTracingOn), diagnostics));
        auto* command = new QLabel(QString::fromStdString(settings.tracingOffCommand()), diagnostics);
        command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        command->setTextInteractionFlags(Qt::TextSelectableByMouse);
        command->setWordWrap(true);
        diagnosticsLayout->addWidget(command);
    }
    layout->addWidget(diagnostics);

    QGroupBox* about = section(GeneralSettings::kAboutSection, this);
    auto* version = new QFormLayout;
    version->addRow(qt(GeneralSettings::kVersion), new QLabel(settings.version(), about));
    auto* aboutLayout = static_cast<QVBoxLayout*>(about->layout());
    aboutLayout->addLayout(version);
    aboutLayout->addWidget(noteLabel(qt(GeneralSettings::kAbout), about));
    layout->addWidget(about);
    layout->addStretch();

    connect(m_openAtLogin, &QCheckBox::clicked, &m_settings, &GeneralSettings::setOpensAtLogin);
    connect(autostartFolder, &QPushButton::clicked, &m_settings, &GeneralSettings::openAutostartFolder);
    connect(m_animateDevo, &QCheckBox::clicked, &m_settings, &GeneralSettings::setAnimatesDevo);
    connect(showConfig, &QPushButton::clicked, &m_settings, &GeneralSettings::showConfigInFiles);
    connect(reload, &QPushButton::clicked, &m_settings, &GeneralSettings::reloadFromDisk);
    connect(showLog, &QPushButton::clicked, &m_settings, &GeneralSettings::showLogInFiles);
    connect(&m_settings, &GeneralSettings::changed, this, &GeneralSettingsView::refresh);
    refresh();
}

void GeneralSettingsView::refresh() {
    m_openAtLogin->setChecked(m_settings.opensAtLogin());
    m_startupStatus->setText(QString::fromStdString(m_settings.startupStatusLine()));
    m_startupError->setText(QString::fromStdString(m_settings.startupError().value_or(std::string())));
    m_startupError->setVisible(m_settings.startupError().has_value());
    m_animateDevo->setChecked(m_settings.animatesDevo());
    m_reloadProblem->setText(QString::fromStdString(m_settings.reloadProblem().value_or(std::string())));
    m_reloadProblem->setVisible(m_settings.reloadProblem().has_value());
}

} // namespace nimbrel
