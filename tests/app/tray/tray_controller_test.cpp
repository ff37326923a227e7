// The tray on a real X server (Xvfb) and a private session bus: with the fake StatusNotifierWatcher the
// icon registers as a panel would see it, and its menu is drawn for a screenshot; without one the tray
// says so once and stays away. Each case runs in a process of its own (Qt asks about the tray only once).

#include "app/shell/tray_controller.h"

#include <QAction>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/mascot/devo_metrics.h"
#include "tests/app/engine/engine_test_support.h"
#include "tests/support/child_process.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

/// Calls a method on the session bus without blocking the event loop, which serves the tray's own objects.
std::optional<QDBusMessage> callBus(const QString& service, const QString& path, const QString& interface,
                                    const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    if (!processEventsUntil([&] { return pending.isFinished(); }, 10s) || pending.isError()) {
        return std::nullopt;
    }
    return pending.reply();
}

QVariant property(const QString& service, const QString& path, const QString& interface, const QString& name) {
    const auto reply = callBus(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                               {interface, name});
    return reply ? reply->arguments().value(0).value<QDBusVariant>().variant() : QVariant();
}

QStringList registeredItems() {
    return property(QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
                    QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("RegisteredStatusNotifierItems"))
        .toStringList();
}

class TrayDisplayTest : public EngineTest {
protected:
    void makeTray() {
        const auto note = [this](const char* what) {
            return [this, what] {
                opened.emplace_back(what);
            };
        };
        tray = std::make_unique<TrayController>(
            *engine, metrics,
            TrayController::Actions{.openEditor = note("editor"),
                                    .openSettings = note("settings"),
                                    .openSlackSettings = nullptr, // "Connect Slack…" falls back to the settings
                                    .openSourcesSettings = note("sources"),
                                    .checkForUpdates = note("updates"),
                                    .quit = note("quit")},
            [this](LogLevel level, std::string_view line) {
                trayLines.emplace_back(std::to_string(static_cast<int>(level)) + " " + std::string(line));
            });
    }
    QAction* action(std::string_view text) {
        for (QAction* each : tray->menuActions()) {
            if (each->text() == QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) {
                return each;
            }
        }
        return nullptr;
    }

    DevoMetrics metrics;
    std::unique_ptr<TrayController> tray;
    std::vector<std::string> opened;
    std::vector<std::string> trayLines;
};

TEST_F(TrayDisplayTest, RegistersWithThePanelAndDrawsItsMenu) {
    ChildProcess watcher({NIMBREL_FAKE_SNI_WATCHER});
    ASSERT_TRUE(watcher.readLine(20s).has_value());
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    makeEngine({"T1"}, "restore", {"T1"}); // T1's token is missing: the menu offers to reconnect
    startEngine();
    change(NowPlaying::error("No response from the player"));
    // Qt names the item after the application, as the desktop program names itself.
    QCoreApplication::setApplicationName(QStringLiteral("nimbrel"));
    makeTray();
    ASSERT_TRUE(tray->show());
    EXPECT_TRUE(trayLines.empty());

    // The panel sees the item, its title, its menu and the cat's picture.
    ASSERT_TRUE(processEventsUntil([] { return !registeredItems().isEmpty(); }, 20s));
    const QString item = registeredItems().front();
    const QString service = item.section(QLatin1Char('/'), 0, 0);
    const QString path = QLatin1Char('/') + item.section(QLatin1Char('/'), 1);
    const QString sni = QStringLiteral("org.kde.StatusNotifierItem");
    EXPECT_EQ(property(service, path, sni, QStringLiteral("Title")).toString(), QStringLiteral("nimbrel"));
    const QVariant menuPath = property(service, path, sni, QStringLiteral("Menu"));
    EXPECT_FALSE(menuPath.value<QDBusObjectPath>().path().isEmpty());
    // The picture as the panel receives it (ARGB32 in network byte order), the largest of the sizes sent.
    const auto pixmaps = property(service, path, sni, QStringLiteral("IconPixmap")).value<QDBusArgument>();
    QImage largest;
    pixmaps.beginArray();
    while (!pixmaps.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        pixmaps.beginStructure();
        pixmaps >> width >> height >> bytes;
        pixmaps.endStructure();
        ASSERT_EQ(bytes.size(), qsizetype{width} * height * 4);
        if (width > largest.width()) {
            largest = QImage(width, height, QImage::Format_ARGB32);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const auto* at = reinterpret_cast<const uchar*>(bytes.constData()) + (y * width + x) * 4;
                    largest.setPixel(x, y, qRgba(at[1], at[2], at[3], at[0]));
                }
            }
        }
    }
    pixmaps.endArray();
    ASSERT_FALSE(largest.isNull());
    EXPECT_TRUE(largest.save(QStringLiteral(NIMBREL_TRAY_ICON_PNG)));
    EXPECT_TRUE(property(service, path, sni, QStringLiteral("ToolTip")).isValid());

    // The model's items as menu entries (their texts and order are the model test's), with shortcuts.
    EXPECT_EQ(action("Edit Vibes\u2026")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(action("Settings\u2026")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(action("Quit Nimbrel")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // The menu as the user sees it, for the record.
    QMenu& menu = tray->menu();
    menu.popup(QPoint(40, 40));
    ASSERT_TRUE(processEventsUntil([&] { return menu.isVisible() && menu.width() > 0; }));
    processEventsUntil([] { return false; }, 300ms);
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, menu.x(), menu.y(), menu.width(), menu.height());
    EXPECT_TRUE(shot.save(QStringLiteral(NIMBREL_TRAY_MENU_PNG)));
    menu.hide();

    // Choosing items: the engine's own go to the engine, the rest to the program.
    action("Pause")->trigger();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_NE(action("Resume"), nullptr);
    for (const char* text : {"Edit Vibes\u2026", "Settings\u2026", "Reconnect Slack\u2026",
                             "Fix Music App Access\u2026", "Check for Updates\u2026", "Quit Nimbrel"}) {
        action(text)->trigger();
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"editor", "settings", "settings", "sources", "updates", "quit"}));
    settle();
}

TEST_F(TrayDisplayTest, RedrawsThePictureOnlyWhenTheFrameChanges) {
    ChildProcess watcher({NIMBREL_FAKE_SNI_WATCHER});
    ASSERT_TRUE(watcher.readLine(20s).has_value());
    makeEngine({"T1"});
    startEngine();
    makeTray();
    ASSERT_TRUE(tray->show());
    const int first = tray->pictureRenders();
    EXPECT_EQ(first, 1);

    play("Kavinsky", "Nightcall"); // the cat starts dancing
    EXPECT_EQ(tray->pictureRenders(), first + 1);
    for (int tick = 1; tick <= 4; ++tick) {
        timers->advance(EngineViewModel::kFrameInterval);
        EXPECT_EQ(tray->frame(), Devo::frame(DevoState::playing, engine->devoTick()));
    }
    EXPECT_EQ(tray->pictureRenders(), first + 5);
    // A notification that changes nothing draws nothing.
    Q_EMIT engine->devoTickChanged();
    Q_EMIT engine->devoStateChanged();
    EXPECT_EQ(tray->pictureRenders(), first + 5);
    // A new theme redraws the same frame in the new colour.
    QPalette dark = QGuiApplication::palette();
    dark.setColor(QPalette::WindowText, Qt::white);
    QGuiApplication::setPalette(dark);
    EXPECT_TRUE(processEventsUntil([&] { return tray->pictureRenders() == first + 6; }));
}

TEST_F(TrayDisplayTest, WithoutATrayHostSaysSoOnceAndStaysAway) {
    makeEngine({});
    makeTray();
    EXPECT_FALSE(tray->show());
    EXPECT_FALSE(tray->show());
    EXPECT_FALSE(tray->isShown());
    EXPECT_EQ(trayLines, std::vector<std::string>{"1 " + std::string(TrayController::kNoTrayHostLine)});
    // The menu still follows the engine, for whoever shows it instead.
    EXPECT_NE(action("Connect Slack\u2026"), nullptr);
}

} // namespace
} // namespace nimbrel::testing
