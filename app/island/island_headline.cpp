#include "app/island/island_headline.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/island/island_text.h"

namespace nimbrel {
namespace {

// Sizes are screen points, which Qt calls pixels; a point size would grow with the display's DPI setting
// and no longer fit the island's fixed measures.
QFont sized(const QFont& base, int pixels, QFont::Weight weight) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

constexpr double kLineGap = 2;

} // namespace

IslandHeadline::IslandHeadline(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    remeasure();
}

void IslandHeadline::setContent(const QString& track, const QString& artist, bool slackPaused) {
    const bool nothing = track.isEmpty() && artist.isEmpty();
    m_first = nothing ? IslandText::kNothingPlaying.toString() : (track.isEmpty() ? artist : track);
    m_second = nothing || track.isEmpty() ? QString() : artist;
    m_caption = slackPaused ? IslandText::kSlackPaused.toString() : QString();
    setAccessibleName(m_second.isEmpty() ? m_first : m_first + u" — " + m_second);
    remeasure();
    update();
}

void IslandHeadline::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        remeasure();
    }
    QWidget::changeEvent(event);
}

void IslandHeadline::remeasure() {
    m_firstFont = sized(font(), 13, QFont::Medium);
    m_secondFont = sized(font(), 12, QFont::Normal);
    const QFontMetricsF first(m_firstFont);
    const QFontMetricsF second(m_secondFont);
    double width = first.horizontalAdvance(m_first);
    double height = first.height();
    for (const QString& line : {m_second, m_caption}) {
        if (!line.isEmpty()) {
            width = std::max(width, second.horizontalAdvance(line));
            height += kLineGap + second.height();
        }
    }
    const double idealWidth = std::ceil(width);
    const double textHeight = std::ceil(height);
    if (idealWidth != m_idealWidth || textHeight != m_textHeight) {
        m_idealWidth = idealWidth;
        m_textHeight = textHeight;
        updateGeometry();
        Q_EMIT measured();
    }
}

QSize IslandHeadline::sizeHint() const {
    return {static_cast<int>(m_idealWidth), static_cast<int>(m_textHeight)};
}

void IslandHeadline::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double width = this->width();
    // The block sits centred vertically in whatever height it was given.
    double y = std::max(0.0, (height() - m_textHeight) / 2);
    const auto drawLine = [&](const QString& text, const QFont& font, double opacity) {
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity)));
        const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
        // Each line is centred in the column.
        const double x = std::max(0.0, (width - metrics.horizontalAdvance(shown)) / 2);
        painter.drawText(QPointF(x, y + metrics.ascent()), shown);
        y += metrics.height() + kLineGap;
    };
    drawLine(m_first, m_firstFont, 0.85);
    if (!m_second.isEmpty()) {
        drawLine(m_second, m_secondFont, 0.5);
    }
    if (!m_caption.isEmpty()) {
        drawLine(m_caption, m_secondFont, 0.5);
    }
}

} // namespace nimbrel
