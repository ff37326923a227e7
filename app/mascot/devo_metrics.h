#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <unordered_map>

#include "core/mascot/devo.h"

namespace nimbrel {

/// The font every picture of the cat uses and the widths measured in it, once, over every frame, so that the
/// tray icon and the island keep their size while the tail swings and the face changes. The desktop program
/// owns one and hands it to whoever draws the cat.
class DevoMetrics final {
public:
    /// The point size of the system font the cat is drawn in.
    static constexpr double kPointSize = 15;
    /// Letter spacing in points: the glyphs sit slightly tighter than the font's own spacing.
    static constexpr double kLetterSpacing = -0.5;
    /// The widest body when there is no frame to measure.
    static constexpr double kFallbackBodyWidth = 16;
    /// Room left of the body and right of the tail.
    static constexpr double kMargin = 2;

    /// Where one frame goes in a picture: the top-left corners of the body's and the tail's text boxes.
    struct Placement {
        QPointF body;
        QSizeF bodySize;
        QPointF tail;
        QSizeF tailSize;
        bool tailMirrored = false;
        friend bool operator==(const Placement&, const Placement&) = default;
    };

    /// Measures every frame of `Devo::allFrames()` in the system font at 15 points.
    DevoMetrics();
    /// Measures in `font` instead (its letter spacing is set here); for tests and other sizes.
    explicit DevoMetrics(QFont font);

    /// The font to draw with: the measured one, letter spacing included.
    const QFont& font() const noexcept { return m_font; }
    /// B: the widest body over every frame.
    double bodyWidth() const noexcept { return m_bodyWidth; }
    /// The widest tail over every frame.
    double tailWidth() const noexcept { return m_tailWidth; }
    /// L: the width every picture of the cat reserves, B plus the widest tail rounded up, plus 4.
    int reservedWidth() const noexcept { return m_reservedWidth; }

    /// Where `frame` goes in a picture `height` tall. The body is centred in the widest body's room after the
    /// left margin and centred vertically; a bounce of 1 lifts the whole frame by a point, -1 drops it. The
    /// tail follows the body on the same line.
    Placement place(const Devo::Frame& frame, double height) const;

private:
    QSizeF measure(const QString& text) const;

    QFont m_font;
    double m_bodyWidth = kFallbackBodyWidth;
    double m_tailWidth = 0;
    int m_reservedWidth = 0;
    /// Every text of every frame measured at construction: drawing never measures again.
    std::unordered_map<std::string, QSizeF> m_sizes;
};

} // namespace nimbrel
