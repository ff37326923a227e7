#pragma once

#include <QFont>
#include <QGuiApplication>

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

} // namespace nimbrel::testing
