#include "app/mascot/devo_metrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// The expected numbers come straight from the font, worked out here without DevoMetrics.
QFont expectedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(15); // macOS's 15 points: logical pixels
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
    return font;
}

double advance(const QFontMetricsF& metrics, const std::string& text) {
    return text.empty() ? 0.0 : metrics.horizontalAdvance(QString::fromStdString(text));
}

TEST(DevoMetrics, MeasuresTheWidestBodyAndTailOfEveryFrameInTheSystemFont) {
    const DevoMetrics devo;
    const QFontMetricsF metrics(expectedFont());
    double body = 0;
    double tail = 0;
    for (const Devo::Frame& frame : Devo::allFrames()) {
        body = std::max(body, advance(metrics, frame.body));
        tail = std::max(tail, advance(metrics, frame.tail));
    }
    EXPECT_DOUBLE_EQ(devo.bodyWidth(), body);
    EXPECT_DOUBLE_EQ(devo.tailWidth(), tail);
    EXPECT_EQ(devo.reservedWidth(), static_cast<int>(std::ceil(body + tail)) + 4);
    // The measurements are real: a face is several glyphs wide, and the tail adds to it.
    EXPECT_GT(body, 16);
    EXPECT_GT(tail, 0);
}

TEST(DevoMetrics, PlacesBodyAndTailOfEveryFrame) {
    const DevoMetrics devo;
    const QFontMetricsF metrics(expectedFont());
    for (const double height : {22.0, 37.0}) {
        for (const Devo::Frame& frame : Devo::allFrames()) {
            SCOPED_TRACE(frame.plainText() + " in " + std::to_string(height));
            const double bodyWidth = advance(metrics, frame.body);
            const double top = (height - metrics.height()) / 2 - frame.bounce;
            const DevoMetrics::Placement place = devo.place(frame, height);
            EXPECT_DOUBLE_EQ(place.body.x(), (devo.bodyWidth() - bodyWidth) / 2 + 2);
            EXPECT_DOUBLE_EQ(place.body.y(), top);
            EXPECT_DOUBLE_EQ(place.bodySize.width(), bodyWidth);
            EXPECT_DOUBLE_EQ(place.tail.x(), place.body.x() + bodyWidth);
            EXPECT_DOUBLE_EQ(place.tail.y(), top);
            EXPECT_DOUBLE_EQ(place.tailSize.width(), advance(metrics, frame.tail));
            EXPECT_EQ(place.tailMirrored, frame.tailMirrored);
            // Everything fits in the reserved width.
            EXPECT_LE(place.tail.x() + place.tailSize.width(), devo.reservedWidth() - 2 + 1e-9);
        }
    }
}

} // namespace
} // namespace nimbrel
