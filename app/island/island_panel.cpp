#include "app/island/island_panel.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWindow>

#include "app/island/island_text.h"
#include "app/island/island_view.h"
#include "app/island/window_input_shape.h"

namespace nimbrel {

IslandPanel::IslandPanel(EngineViewModel& engine, const DevoMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_view(new IslandView(engine, metrics, this)) {
    setWindowTitle(IslandText::kWindowTitle.toString());
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    // The native window exists from now on, so its input region and pointer events can be set up before
    // it is first shown.
    winId();
    windowHandle()->installEventFilter(this);
}

bool IslandPanel::setInputRegion(const QRegion& region) {
    m_inputRegion = region;
    return WindowInputShape::set(*windowHandle(), region);
}

bool IslandPanel::eventFilter(QObject* watched, QEvent* event) {
    // The window sees every pointer event before any child widget does, so moves over buttons count too.
    if (watched == windowHandle()) {
        switch (event->type()) {
        case QEvent::Enter:
            Q_EMIT pointerMoved(static_cast<QEnterEvent*>(event)->globalPosition());
            break;
        case QEvent::MouseMove:
            Q_EMIT pointerMoved(static_cast<QMouseEvent*>(event)->globalPosition());
            break;
        case QEvent::Leave:
            Q_EMIT pointerMoved(std::nullopt);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IslandPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

} // namespace nimbrel
