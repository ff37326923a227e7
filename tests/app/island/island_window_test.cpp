#include <QApplication>
#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "app/island/art_tile.h"
#include "app/island/island_button.h"
#include "app/island/island_controller.h"
#include "app/island/island_expanded_content.h"
#include "app/island/island_headline.h"
#include "app/island/island_panel.h"
#include "app/island/island_text.h"
#include "app/island/island_view.h"
#include "app/island/slack_toggle.h"
#include "app/island/transport_controls.h"
#include "app/mascot/devo_metrics.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel {
namespace {

using testing::processEventsUntil;

/// A player with a cover, which records the transport commands it is sent.
class CoverPlayer final : public NowPlayingSource {
public:
    PlayerSourceID id() const override { return PlayerSourceID::spotify; }
    NowPlaying read() override {
        const std::lock_guard lock(m_mutex);
        return m_reading;
    }
    void startObserving(ChangeHandler handler) override { m_handler = std::move(handler); }
    void stopObserving() override { m_handler = nullptr; }
    std::optional<Artwork> artwork() override {
        const std::lock_guard lock(m_mutex);
        if (m_cover.empty()) {
            return std::nullopt;
        }
        return Artwork{Artwork::Data{m_cover}};
    }
    void perform(PlayerCommand command) override {
        const std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
    }

    void set(NowPlaying reading, std::vector<char> cover) {
        {
            const std::lock_guard lock(m_mutex);
            m_reading = std::move(reading);
            m_cover = std::move(cover);
        }
        if (m_handler) {
            m_handler();
        }
    }
    std::vector<PlayerCommand> commands() const {
        const std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    mutable std::mutex m_mutex;
    NowPlaying m_reading;
    std::vector<char> m_cover;
    std::vector<PlayerCommand> m_commands;
    ChangeHandler m_handler;
};

/// A cover: a disc on a plain ground, encoded as PNG, as a player would hand it over.
std::vector<char> coverImage() {
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(QColor(0x3a, 0x1c, 0x71));
    QPainter painter(&image);
    painter.setBrush(QColor(255, 220, 120));
    painter.drawEllipse(QPointF(150, 170), 70, 70);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

/// A window that fills the screen below the island and notes where it was clicked.
class Desktop final : public QWidget {
public:
    Desktop() {
        setWindowFlag(Qt::FramelessWindowHint);
        setGeometry(0, 0, 1280, 800);
        setAutoFillBackground(true);
        setPalette(QPalette(QColor(0xd8, 0xdc, 0xe2)));
    }
    std::vector<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override { presses.push_back(event->globalPosition().toPoint()); }
};

/// The island over a real engine on the test's X display (Xvfb, 1280 × 800), fed by a player with a cover.
class IslandWindowTest : public testing::EngineTest {
protected:
    IslandWindowTest() {
        QFont font(QStringLiteral("Noto Sans"));
        font.setFamilies({QStringLiteral("Noto Sans"), QStringLiteral("Noto Color Emoji")});
        QApplication::setFont(font);
        QFont cat = font;
        cat.setPixelSize(DevoMetrics::kPixelSize);
        metrics = std::make_unique<DevoMetrics>(cat);
        adjustParts = [this](EngineViewModel::Parts& parts) {
            parts.makeSource = [this](const std::vector<PlayerSourceID>&) {
                return player;
            };
            // The engine fetches covers only where it has a session for them; this cover comes as bytes, so
            // the session never sends anything.
            parts.artworkSession = std::make_shared<HttpSession>(HttpSession::Options{}, timers);
        };
        makeEngine({"T1"});
        startEngine();
    }
    ~IslandWindowTest() override { controller.reset(); }

    void makeController(IslandController::Options options = {}) {
        options.timers = std::make_shared<SystemTimers>();
        controller = std::make_unique<IslandController>(*engine, *metrics, std::move(options));
        ASSERT_TRUE(processEventsUntil([this] { return controller->panel().windowHandle()->isExposed(); }));
    }
    void playCover(const std::string& artist, const std::string& track) {
        player->set(NowPlaying::playing(artist, track), coverImage());
        timers->advance(EngineViewModel::kDebounce);
        settle();
        ASSERT_TRUE(processEventsUntil([this] { return !engine->artwork().isEmpty(); }, std::chrono::seconds(2)))
            << statusLine() << " / " << engine->nowPlayingTrack().toStdString();
    }
    void stopPlaying() {
        player->set(NowPlaying::notRunning(), {});
        timers->advance(EngineViewModel::kDebounce);
        settle();
    }
    /// The panel as drawn (with its transparency) over a plain desktop colour, written to the build folder.
    void screenshot(const char* name) {
        QApplication::processEvents();
        const QPixmap panel = controller->panel().grab();
        QImage shot(panel.size() + QSize(40, 20), QImage::Format_RGB32);
        shot.fill(QColor(0xd8, 0xdc, 0xe2));
        QPainter painter(&shot);
        painter.drawPixmap(20, 0, panel);
        painter.end();
        const QString path = QStringLiteral(NIMBREL_ISLAND_SCREENSHOTS "/") + QString::fromUtf8(name);
        ASSERT_TRUE(shot.save(path)) << path.toStdString();
    }
    /// Moves the real pointer (XTest, through xdotool) and clicks if asked.
    static void pointer(QPoint at, bool click) {
        QStringList arguments{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())};
        if (click) {
            arguments << QStringLiteral("click") << QStringLiteral("1");
        }
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), arguments);
        ASSERT_TRUE(xdotool.waitForFinished(10'000));
        ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
    }
    IslandExpandedContent& content() const { return controller->panel().view().expandedContent(); }

    std::shared_ptr<CoverPlayer> player = std::make_shared<CoverPlayer>();
    std::unique_ptr<DevoMetrics> metrics;
    std::unique_ptr<IslandController> controller;
};

TEST_F(IslandWindowTest, HangsFromAVirtualNotchAtTheTopCentre) {
    makeController();
    const double mascot = metrics->reservedWidth();
    // Xvfb has no desktop panel: the notch takes the default height.
    EXPECT_EQ(controller->notch(), QRectF(576, 0, 128, IslandPlacement::kDefaultMenuBarHeight));
    EXPECT_EQ(controller->panel().geometry(),
              QRectF(640 - (128 + 2 * mascot + 150) / 2, 0, 128 + 2 * mascot + 150, 24 + 216).toAlignedRect());
    // The headline ("Nothing playing") was measured from the start, so the expanded size is final.
    EXPECT_EQ(controller->model().layout().headlineHeight, content().headline().textHeight());
    EXPECT_GT(controller->model().layout().headlineIdealWidth, 0);
    EXPECT_FALSE(controller->panel().isActiveWindow());
    EXPECT_TRUE(controller->panel().windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
}

TEST_F(IslandWindowTest, AScreenChangeMovesAndResizesThePanel) {
    ScreenMeasures screen;
    screen.frame = QRectF(0, 0, 1280, 800);
    screen.available = screen.frame;
    IslandController::Options options;
    options.screen = [&screen] {
        return std::optional<ScreenMeasures>(screen);
    };
    makeController(std::move(options));
    const QRect before = controller->panel().geometry();
    screen.frame = QRectF(0, 0, 1920, 1080);
    screen.available = QRectF(0, 32, 1920, 1048);
    controller->relayout();
    const QRect after = controller->panel().geometry();
    EXPECT_EQ(QRectF(after).center().x(), 960);
    EXPECT_EQ(after.height(), before.height() + 8);
    EXPECT_EQ(controller->model().layout().notchSize.height, 32);
    EXPECT_EQ(controller->panel().inputRegion().boundingRect(),
              controller->hotRect().translated(-QPointF(after.topLeft())).toAlignedRect());
}

TEST_F(IslandWindowTest, ClicksOnTheTransparentPartReachTheWindowBelow) {
    Desktop desktop;
    desktop.show();
    ASSERT_TRUE(processEventsUntil([&] { return desktop.windowHandle()->isExposed(); }));
    makeController();
    const QRect panel = controller->panel().geometry();

    // The panel's lower corner lies outside the collapsed island: the click falls through.
    const QPoint transparent(panel.left() + 8, panel.bottom() - 8);
    pointer(transparent, true);
    ASSERT_TRUE(processEventsUntil([&] { return !desktop.presses.empty(); }, std::chrono::seconds(10)));
    EXPECT_EQ(desktop.presses.back(), transparent);

    // On the island itself the panel takes the pointer; resting there opens the island after its delay, and
    // the expanded island takes clicks where the window below had them before.
    desktop.presses.clear();
    pointer(controller->notch().center().toPoint(), false);
    ASSERT_TRUE(processEventsUntil([&] { return controller->model().isExpanded(); }, std::chrono::seconds(10)));
    const QPoint onIsland(controller->hotRect().center().toPoint());
    pointer(onIsland, true);
    processEventsUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_TRUE(desktop.presses.empty());

    // Away from the island it collapses again, and clicks pass where it was.
    pointer(QPoint(100, 600), false);
    ASSERT_TRUE(processEventsUntil([&] { return !controller->model().isExpanded(); }, std::chrono::seconds(10)));
    pointer(transparent, true);
    ASSERT_TRUE(processEventsUntil([&] { return !desktop.presses.empty(); }, std::chrono::seconds(10)));
    EXPECT_EQ(desktop.presses.back(), transparent);
}

TEST_F(IslandWindowTest, ShowsTheTrackTheCoverAndTheControls) {
    makeController();
    playCover("Kavinsky", "Nightcall");
    controller->setExpanded(true, false);
    ASSERT_TRUE(processEventsUntil([this] { return content().isVisible(); }));

    EXPECT_EQ(content().headline().firstLine(), u"Nightcall");
    EXPECT_EQ(content().headline().secondLine(), u"Kavinsky");
    EXPECT_TRUE(content().headline().caption().isEmpty());
    EXPECT_FALSE(content().artTile().image().isNull());
    EXPECT_EQ(content().transport().playPauseButton().label(), IslandText::kPause);
    EXPECT_EQ(content().slackToggle().button().label(), IslandText::kPauseSlack);
    // The headline's measurements went into the layout, and the island grew to fit its lines.
    EXPECT_EQ(controller->model().layout().headlineHeight, content().headline().textHeight());
    EXPECT_GT(controller->model().layout().headlineHeight, 0);
    screenshot("island-expanded-playing.png");

    controller->setExpanded(false, false);
    screenshot("island-collapsed.png");
}

TEST_F(IslandWindowTest, ButtonsDriveThePlayerAndSlack) {
    makeController();
    playCover("Justice", "Genesis");
    controller->setExpanded(true, false);
    content().transport().nextButton().click();
    content().transport().previousButton().click();
    content().transport().playPauseButton().click();
    // Play/pause flips at once, before the player answers.
    EXPECT_EQ(content().transport().playPauseButton().label(), IslandText::kPlay);
    ASSERT_TRUE(processEventsUntil([this] { return player->commands().size() == 3; }));
    EXPECT_EQ(player->commands(),
              (std::vector<PlayerCommand>{PlayerCommand::next, PlayerCommand::previous, PlayerCommand::playPause}));

    content().slackToggle().button().click();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_EQ(content().slackToggle().button().label(), IslandText::kResumeSlack);
    EXPECT_EQ(content().headline().caption(), IslandText::kSlackPaused);
    settle();
}

TEST_F(IslandWindowTest, SaysNothingPlayingWithoutATrack) {
    makeController();
    playCover("Kavinsky", "Nightcall");
    stopPlaying();
    controller->setExpanded(true, false);
    ASSERT_TRUE(processEventsUntil([this] { return content().isVisible(); }));
    EXPECT_EQ(content().headline().firstLine(), IslandText::kNothingPlaying);
    EXPECT_TRUE(content().headline().secondLine().isEmpty());
    EXPECT_TRUE(content().artTile().image().isNull());
    EXPECT_EQ(content().transport().playPauseButton().label(), IslandText::kPlay);
    screenshot("island-expanded-nothing-playing.png");
}

} // namespace
} // namespace nimbrel
