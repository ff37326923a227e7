#include "app/shell/tray_controller.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "app/engine/engine_view_model.h"
#include "app/mascot/devo_metrics.h"
#include "app/shell/tray_icon_image.h"

namespace nimbrel {

namespace {

void call(const std::function<void()>& action) {
    if (action) {
        action();
    }
}

} // namespace

TrayController::TrayController(EngineViewModel& engine, const DevoMetrics& metrics, Actions actions, LogSink log,
                               QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_metrics(metrics)
    , m_on(std::move(actions))
    , m_log(std::move(log))
    , m_menu(std::make_unique<QMenu>())
    , m_frame(Devo::frame(engine.devoState(), engine.devoTick())) {
    buildMenu();
}

TrayController::~TrayController() {
    // Before the menu goes: the icon refers to it.
    delete m_icon;
}

bool TrayController::show() {
    if (m_icon != nullptr) {
        return true;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_loggedNoHost && m_log) {
            m_log(LogLevel::info, kNoTrayHostLine);
        }
        m_loggedNoHost = true;
        return false;
    }
    m_icon = new QSystemTrayIcon(this);
    m_icon->setContextMenu(m_menu.get());
    m_icon->setToolTip(m_engine.statusLine());
    // Clicking the cat opens the menu, as the menu-bar item does on macOS; hosts that open the menu on a
    // left click themselves never send this.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            m_menu->popup(QCursor::pos());
        }
    });
    connect(&m_engine, &EngineViewModel::devoStateChanged, this, &TrayController::followFrame);
    connect(&m_engine, &EngineViewModel::devoTickChanged, this, &TrayController::followFrame);
    connect(&m_engine, &EngineViewModel::statusLineChanged, this, [this] {
        m_icon->setToolTip(m_engine.statusLine());
        // A run that found a workspace rejected changes the line; the menu's Slack item follows.
        refreshMenu();
    });
    // Every widget hears of a new application palette; the menu is ours, so it brings the news.
    m_menu->installEventFilter(this);
    m_frame = Devo::frame(m_engine.devoState(), m_engine.devoTick());
    renderPicture();
    m_icon->show();
    return true;
}

bool TrayController::eventFilter(QObject* watched, QEvent* event) {
    // The theme switched between light and dark: the cat takes the new text colour.
    if (watched == m_menu.get() && event->type() == QEvent::ApplicationPaletteChange && m_icon != nullptr) {
        renderPicture();
    }
    return QObject::eventFilter(watched, event);
}

void TrayController::buildMenu() {
    m_menu->setTitle(QString::fromUtf8(kTitle.data(), static_cast<qsizetype>(kTitle.size())));
    for (const TrayMenuModel::Item& item : TrayMenuModel::items(TrayMenuModel::inputs(m_engine))) {
        QAction* action = item.isSeparator ? m_menu->addSeparator() : m_menu->addAction(QString());
        if (!item.shortcut.empty()) {
            action->setShortcut(QKeySequence(QString::fromStdString(item.shortcut), QKeySequence::PortableText));
        }
        const TrayMenuModel::Action does = item.action;
        connect(action, &QAction::triggered, this, [this, does] { trigger(does); });
        // What this program cannot do yet shows, greyed out, rather than doing nothing when chosen.
        action->setEnabled(item.isSeparator || offers(does));
        m_actions.push_back(action);
    }
    refreshMenu();
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayController::refreshMenu);
    for (const auto signal : {&EngineViewModel::pausedChanged, &EngineViewModel::lastReadStateChanged,
                              &EngineViewModel::configChanged, &EngineViewModel::runFinished}) {
        connect(&m_engine, signal, this, &TrayController::refreshMenu);
    }
}

void TrayController::refreshMenu() {
    const std::vector<TrayMenuModel::Item> items = TrayMenuModel::items(TrayMenuModel::inputs(m_engine));
    for (std::size_t index = 0; index < items.size() && index < m_actions.size(); ++index) {
        QAction* action = m_actions[index];
        const QString text = QString::fromStdString(items[index].text);
        if (action->text() != text) {
            action->setText(text);
        }
        if (action->isVisible() != items[index].isVisible) {
            action->setVisible(items[index].isVisible);
        }
    }
}

void TrayController::followFrame() {
    Devo::Frame next = Devo::frame(m_engine.devoState(), m_engine.devoTick());
    if (next == m_frame) {
        return;
    }
    m_frame = std::move(next);
    renderPicture();
}

void TrayController::renderPicture() {
    if (m_icon == nullptr) {
        return;
    }
    const QImage image = TrayIconImage::render(m_metrics, m_frame, TrayIconImage::kPanelThickness,
                                               qApp->devicePixelRatio(), TrayIconImage::themeColor());
    m_icon->setIcon(QIcon(QPixmap::fromImage(image)));
    ++m_pictureRenders;
}

bool TrayController::offers(TrayMenuModel::Action action) const {
    using Action = TrayMenuModel::Action;
    switch (action) {
    case Action::checkForUpdates:
        return static_cast<bool>(m_on.checkForUpdates);
    case Action::editVibes:
        return static_cast<bool>(m_on.openEditor);
    case Action::openSettings:
    case Action::connectSlack:
        return static_cast<bool>(m_on.openSettings);
    case Action::openSourcesSettings:
        return static_cast<bool>(m_on.openSourcesSettings);
    case Action::quit:
        return static_cast<bool>(m_on.quit);
    case Action::none:
    case Action::updateNow:
    case Action::togglePause:
        break;
    }
    return true;
}

void TrayController::trigger(TrayMenuModel::Action action) {
    using Action = TrayMenuModel::Action;
    switch (action) {
    case Action::none:
        break;
    case Action::updateNow:
        m_engine.updateNow();
        break;
    case Action::togglePause:
        m_engine.togglePause();
        break;
    case Action::checkForUpdates:
        call(m_on.checkForUpdates);
        break;
    case Action::editVibes:
        call(m_on.openEditor);
        break;
    case Action::openSettings:
        call(m_on.openSettings);
        break;
    case Action::connectSlack:
        call(m_on.openSlackSettings ? m_on.openSlackSettings : m_on.openSettings);
        break;
    case Action::openSourcesSettings:
        call(m_on.openSourcesSettings);
        break;
    case Action::quit:
        call(m_on.quit);
        break;
    }
}

} // namespace nimbrel
