// The tray menu as the engine's states make it, and the tray's picture, without a window.

#include "app/shell/tray_menu_model.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include "app/mascot/devo_metrics.h"
#include "app/shell/tray_icon_image.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel::testing {
namespace {

using Action = TrayMenuModel::Action;

/// One item as a line: "text [shortcut] -> action".
std::string entry(std::string_view text, Action action, std::string_view shortcut = {}) {
    return std::string(text) + (shortcut.empty() ? "" : " [" + std::string(shortcut) + "]") + " -> " +
           std::to_string(static_cast<int>(action));
}

/// The visible items as one line each, "---" for a separator.
std::vector<std::string> shown(const std::vector<TrayMenuModel::Item>& items) {
    std::vector<std::string> lines;
    for (const TrayMenuModel::Item& item : items) {
        if (item.isSeparator) {
            lines.emplace_back("---");
        } else if (item.isVisible) {
            lines.push_back(entry(item.text, item.action, item.shortcut));
        }
    }
    return lines;
}

class TrayMenuTest : public EngineTest {};

TEST_F(TrayMenuTest, FollowsTheEngine) {
    struct Case {
        const char* name;
        std::vector<std::string> accounts;
        std::vector<std::string> withoutToken;
        enum { nothing, pause, failRead } then;
        std::string_view pauseText;
        std::optional<std::string> slackItem;
        bool fixAccess;
    };
    const Case cases[] = {
        {"no account", {}, {}, Case::nothing, TrayMenuModel::kPause, "Connect Slack\u2026", false},
        {"connected", {"T1"}, {}, Case::nothing, TrayMenuModel::kPause, std::nullopt, false},
        {"workspace needs reconnecting",
         {"T1", "T2"},
         {"T2"},
         Case::nothing,
         TrayMenuModel::kPause,
         "Reconnect Slack\u2026",
         false},
        {"paused", {"T1"}, {}, Case::pause, TrayMenuModel::kResume, std::nullopt, false},
        {"error reading", {"T1"}, {}, Case::failRead, TrayMenuModel::kPause, std::nullopt, true},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        slack.clear();
        tokens.clear();
        makeEngine(each.accounts, "restore", each.withoutToken);
        startEngine();
        if (each.then == Case::pause) {
            engine->togglePause();
        } else if (each.then == Case::failRead) {
            change(NowPlaying::error("no answer"));
        }
        settle();

        std::vector<std::string> expected = {entry(TrayMenuModel::kUpdateNow, Action::updateNow),
                                             entry(each.pauseText, Action::togglePause),
                                             "---",
                                             entry(TrayMenuModel::kCheckForUpdates, Action::checkForUpdates),
                                             entry(TrayMenuModel::kEditVibes, Action::editVibes, "Ctrl+E"),
                                             entry(TrayMenuModel::kSettings, Action::openSettings, "Ctrl+,")};
        if (each.slackItem) {
            expected.push_back(entry(*each.slackItem, Action::connectSlack));
        }
        if (each.fixAccess) {
            expected.push_back(entry(TrayMenuModel::kFixMusicAppAccess, Action::openSourcesSettings));
        }
        expected.emplace_back("---");
        expected.push_back(entry(TrayMenuModel::kQuit, Action::quit, "Ctrl+Q"));

        const std::vector<TrayMenuModel::Item> items = TrayMenuModel::items(TrayMenuModel::inputs(*engine));
        EXPECT_EQ(shown(items), expected);
        // Hidden items keep their place, so the menu never has to be rebuilt.
        EXPECT_EQ(items.size(), 10U);
        stopEngine();
        engine.reset();
    }
}

TEST(TrayIconImage, IsReservedWidthByPanelHeightAtTheScreensPixelRatio) {
    const DevoMetrics metrics;
    for (const double ratio : {1.0, 2.0, 1.5}) {
        SCOPED_TRACE(ratio);
        const QImage image =
            TrayIconImage::render(metrics, Devo::allFrames().front(), TrayIconImage::kPanelThickness, ratio, Qt::black);
        EXPECT_EQ(image.width(), static_cast<int>(std::ceil(metrics.reservedWidth() * ratio)));
        EXPECT_EQ(image.height(), static_cast<int>(std::ceil(22 * ratio)));
        EXPECT_DOUBLE_EQ(image.devicePixelRatio(), ratio);
        // Something was drawn on the transparent picture, and its corner stays clear.
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y) {
            for (int x = 0; x < image.width() && !drawn; ++x) {
                drawn = qAlpha(image.pixel(x, y)) > 0;
            }
        }
        EXPECT_TRUE(drawn);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
}

} // namespace
} // namespace nimbrel::testing
