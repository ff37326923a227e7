#pragma once

#include <QAccessible>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/editors/config_holder.h"
#include "app/editors/vibes_editor_model.h"
#include "tests/support/manual_timers.h"

namespace nimbrel::testing {

/// The engine as the editors see it: the configuration in force, how many were applied, and how many of
/// those asked for a run at once.
struct FakeConfigHolder final : ConfigHolder {
    VibeConfig current;
    int applied = 0;
    int ranNow = 0;

    const VibeConfig& config() const override { return current; }
    void applyConfig(VibeConfig config, bool runNow) override {
        current = std::move(config);
        ++applied;
        ranNow += runNow ? 1 : 0;
    }
};

/// The editor's model over the fake engine, with its undo stack and timers driven by hand; a base of the
/// fixtures, so it is there before the screens built on it.
struct EditorParts {
    /// Hands `holder.current` to the editor.
    bool load() {
        editor.setConfigHolder(&holder);
        editor.setUndoStack(&stack);
        return editor.load();
    }

    ManualTimers timers;
    FakeConfigHolder holder;
    QUndoStack stack;
    VibesEditorModel editor{timers};
};

/// A vibe for the editors' tests; only the name and keywords usually matter.
inline Vibe makeVibe(std::string name, std::vector<std::string> match = {}, std::string text = "t",
                     std::string emoji = ":x:") {
    return Vibe{.name = std::move(name),
                .statusText = std::move(text),
                .statusEmoji = std::move(emoji),
                .match = std::move(match),
                .themeID = {}};
}

/// What a screen reader announces for `widget`.
inline QString accessibleName(QObject* widget) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
    return node != nullptr ? node->text(QAccessible::Name) : QString();
}

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
