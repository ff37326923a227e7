#include "app/shell/settings_window.h"

#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/editors/settings_widgets.h"

namespace nimbrel {
using settings_widgets::qt;

SettingsWindow::SettingsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_tabs(new QTabWidget(this)) {
    setWindowTitle(qt(kTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    resize(560, 640);
}

void SettingsWindow::addTab(QWidget* screen, std::string_view title) {
    // Long screens scroll instead of stretching the window past a small display.
    auto* scroll = new QScrollArea(m_tabs);
    scroll->setWidget(screen);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_tabs->addTab(scroll, qt(title));
}

void SettingsWindow::showTab(std::string_view title) {
    for (int index = 0; index < m_tabs->count(); ++index) {
        if (m_tabs->tabText(index) == qt(title)) {
            m_tabs->setCurrentIndex(index);
        }
    }
    show();
    raise();
    activateWindow();
}

} // namespace nimbrel
