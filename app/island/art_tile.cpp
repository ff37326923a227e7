#include "app/island/art_tile.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/island/island_symbols.h"

namespace nimbrel {

ArtTile::ArtTile(double side, double cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_side(side)
    , m_cornerRadius(cornerRadius) {
    const int pixels = static_cast<int>(std::ceil(side));
    setFixedSize(pixels, pixels);
}

void ArtTile::setImageData(const QByteArray& bytes) {
    QImage image;
    if (!bytes.isEmpty()) {
        image.loadFromData(bytes);
    }
    m_image = image;
    update();
}

QSize ArtTile::sizeHint() const {
    const int pixels = static_cast<int>(std::ceil(m_side));
    return {pixels, pixels};
}

void ArtTile::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF tile(0, 0, m_side, m_side);
    QPainterPath rounded;
    rounded.addRoundedRect(tile, m_cornerRadius, m_cornerRadius);
    if (!m_image.isNull()) {
        // Fill the square, cropping a cover that is not square around its centre.
        const QSizeF scaled = QSizeF(m_image.size()).scaled(tile.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target((m_side - scaled.width()) / 2, (m_side - scaled.height()) / 2, scaled.width(),
                            scaled.height());
        painter.setClipPath(rounded);
        painter.drawImage(target, m_image);
        return;
    }
    painter.fillPath(rounded, QColor(255, 255, 255, 26)); // 10 %
    const double note = m_side * 0.4;
    painter.translate((m_side - note) / 2, (m_side - note) / 2);
    painter.scale(note, note);
    painter.fillPath(IslandSymbols::path(IslandSymbols::Symbol::musicNote), QColor(255, 255, 255, 128));
}

} // namespace nimbrel
