#include "app/island/island_button.h"

#include <QPainter>
#include <cmath>

namespace nimbrel {

IslandButton::IslandButton(IslandSymbols::Symbol symbol, QStringView label, double size, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_size(size) {
    // The island never takes the keyboard focus: it must not steal typing from the window below.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSymbol(symbol, label);
}

void IslandButton::setSymbol(IslandSymbols::Symbol symbol, QStringView label) {
    m_symbol = symbol;
    setAccessibleName(label.toString());
    setToolTip(label.toString());
    update();
}

QSize IslandButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(m_size)) + 14;
    return {side, side};
}

void IslandButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_hovering || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, isDown() ? 56 : 36));
        painter.drawEllipse(QRectF(rect()));
    }
    const QPointF origin((width() - m_size) / 2, (height() - m_size) / 2);
    painter.translate(origin);
    painter.scale(m_size, m_size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, isEnabled() ? 235 : 90));
    painter.drawPath(IslandSymbols::path(m_symbol));
}

void IslandButton::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void IslandButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace nimbrel
