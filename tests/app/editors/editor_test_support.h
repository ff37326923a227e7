#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include "app/editors/config_holder.h"

namespace nimbrel::testing {

/// The engine as the editors see it: the configuration in force, and how many were applied.
struct FakeConfigHolder final : ConfigHolder {
    VibeConfig current;
    int applied = 0;

    const VibeConfig& config() const override { return current; }
    void applyConfig(VibeConfig config, bool /*runNow*/) override {
        current = std::move(config);
        ++applied;
    }
};

/// The fonts the editors' pictures are drawn with; a base of the fixture, so it is set before any widget.
struct NotoFonts {
    NotoFonts() {
        QFont font(QStringLiteral("Noto Sans"));
        font.setFamilies({QStringLiteral("Noto Sans"), QStringLiteral("Noto Color Emoji")});
        font.setPointSize(10);
        QGuiApplication::setFont(font);
    }
};

#ifdef NIMBREL_SCREENSHOTS
/// Writes `picture` to the test's build folder as `name`.
inline void savePicture(const QImage& picture, const QString& name) {
    ASSERT_FALSE(picture.isNull()) << name.toStdString();
    EXPECT_TRUE(picture.save(QStringLiteral(NIMBREL_SCREENSHOTS "/") + name)) << name.toStdString();
}

/// Writes a picture of `widget` (any QWidget) once its pending layout and paints are done.
template <typename Widget>
void savePicture(Widget& widget, const QString& name) {
    QCoreApplication::processEvents();
    savePicture(widget.grab().toImage(), name);
}
#endif

} // namespace nimbrel::testing
