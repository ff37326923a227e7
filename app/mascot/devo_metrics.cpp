#include "app/mascot/devo_metrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>

namespace nimbrel {

namespace {

QFont systemFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(DevoMetrics::kPointSize);
    return font;
}

} // namespace

DevoMetrics::DevoMetrics()
    : DevoMetrics(systemFont()) {}

DevoMetrics::DevoMetrics(QFont font)
    : m_font(std::move(font)) {
    m_font.setLetterSpacing(QFont::AbsoluteSpacing, kLetterSpacing);
    const QFontMetricsF metrics(m_font);
    const auto remember = [&](const std::string& text) {
        const QString shown = QString::fromStdString(text);
        const QSizeF size(text.empty() ? 0.0 : metrics.horizontalAdvance(shown), metrics.height());
        m_sizes.emplace(text, size);
        return size.width();
    };
    const auto& frames = Devo::allFrames();
    if (!frames.empty()) {
        m_bodyWidth = 0;
    }
    for (const Devo::Frame& frame : frames) {
        m_bodyWidth = std::max(m_bodyWidth, remember(frame.body));
        m_tailWidth = std::max(m_tailWidth, remember(frame.tail));
    }
    m_reservedWidth = static_cast<int>(std::ceil(m_bodyWidth + m_tailWidth)) + 2 * static_cast<int>(kMargin);
}

QSizeF DevoMetrics::measure(const QString& text) const {
    const auto found = m_sizes.find(text.toStdString());
    if (found != m_sizes.end()) {
        return found->second;
    }
    // Frames come from Devo, so this is only reached by a frame made up by hand.
    const QFontMetricsF metrics(m_font);
    return {text.isEmpty() ? 0.0 : metrics.horizontalAdvance(text), metrics.height()};
}

DevoMetrics::Placement DevoMetrics::place(const Devo::Frame& frame, double height) const {
    const QSizeF body = measure(QString::fromStdString(frame.body));
    const QSizeF tail = measure(QString::fromStdString(frame.tail));
    // Widget coordinates grow downwards, so lifting the cat by the bounce subtracts it.
    const double y = (height - body.height()) / 2 - frame.bounce;
    const QPointF bodyAt((m_bodyWidth - body.width()) / 2 + kMargin, y);
    return {.body = bodyAt,
            .bodySize = body,
            .tail = QPointF(bodyAt.x() + body.width(), y),
            .tailSize = tail,
            .tailMirrored = frame.tailMirrored};
}

} // namespace nimbrel
