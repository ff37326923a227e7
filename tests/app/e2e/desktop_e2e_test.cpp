// The desktop program as a user starts it: `nimbrel` with no arguments on an X display (Xvfb), a panel that
// hosts tray icons (the fake StatusNotifierWatcher), a player playing, the fake Slack, the real keyring. Its
// pictures land in the build folder.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "tests/support/fake_itunes/fake_itunes_server.h"
#include "tests/support/fake_slack/fake_slack_server.h"
#include "tests/support/headless_program.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

const TestWorkspace kOne{"T1", "One", "U1", "xoxp-one"};

QDBusMessage callOn(const QString& service, const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 10'000);
}

QVariant property(const QString& service, const QString& path, const QString& interface, const QString& name) {
    const QDBusMessage reply = callOn(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("Get"), {interface, name});
    return reply.arguments().isEmpty() ? QVariant() : reply.arguments().front().value<QDBusVariant>().variant();
}

// The id of the menu entry labelled `label` in a com.canonical.dbusmenu layout (id, properties, children).
int entryLabelled(const QDBusArgument& layout, const QString& label) {
    int id = 0;
    QVariantMap properties;
    QVariantList children;
    layout.beginStructure();
    layout >> id >> properties >> children;
    layout.endStructure();
    if (properties.value(QStringLiteral("label")).toString() == label) {
        return id;
    }
    for (const QVariant& child : children) {
        // Each child is a variant holding the same structure; QtDBus may or may not unwrap the variant.
        const QVariant inner =
            child.userType() == qMetaTypeId<QDBusVariant>() ? child.value<QDBusVariant>().variant() : child;
        if (const int found = entryLabelled(qvariant_cast<QDBusArgument>(inner), label)) {
            return found;
        }
    }
    return 0;
}

void screenshot(const std::string& name) {
    ChildProcess grab({"import", "-window", "root", std::string(NIMBREL_SCREENSHOTS) + "/" + name});
    EXPECT_EQ(grab.waitForExit(30s), std::optional<int>(0)) << name;
}

class DesktopEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_slack.addToken(kOne.token, kOne.teamID, kOne.userID);
        ASSERT_GT(m_slack.start(), 0);
        ASSERT_GT(m_iTunes.start(), 0);
        ASSERT_TRUE(storeTokens({kOne}));
        std::ofstream(m_home / "config.json") << configWithWorkspaces({kOne});
        ASSERT_TRUE(m_panel.readLine(20s)) << "the fake panel did not start";
    }

    std::map<std::string, std::string> environment() const {
        return {{"NIMBREL_HOME", m_home.path().string()},
                {"NimbrelSlackBaseURL", m_slack.apiBaseURL()},
                {"NimbrelITunesBaseURL", m_iTunes.baseURL()},
                {"NimbrelDebugLogging", "1"}};
    }
    std::string log() const { return readWholeFile(m_home / "app.log"); }
    std::vector<std::string> statusesSent() const {
        std::vector<std::string> texts;
        for (const RecordedRequest& request : slackCalls(m_slack, kOne.token, "users.profile.set")) {
            texts.push_back(nlohmann::json::parse(request.body)["profile"]["status_text"].get<std::string>());
        }
        return texts;
    }

    TemporaryFolder m_home;
    FakeSlackServer m_slack;
    FakeITunesServer m_iTunes;
    ChildProcess m_panel{{NIMBREL_FAKE_SNI_WATCHER}};
};

TEST_F(DesktopEndToEnd, TheCatTheIslandAndSlackFollowTheMusicAndQuitFromTheMenuHandsTheStatusBack) {
    ChildProcess program({NIMBREL_EXECUTABLE}, environment());
    FakePlayerProcess player(NIMBREL_FAKE_PLAYER, "spotify");
    ASSERT_TRUE(player.ready());
    ASSERT_TRUE(player.play("Kavinsky", "Nightcall"));
    ASSERT_TRUE(waitUntil([&] { return !statusesSent().empty(); }, 30s)) << log();
    EXPECT_NE(statusesSent().back().find("Nightcall"), std::string::npos);

    // The tray: one item on the panel, with a picture and a menu.
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QStringList items;
    ASSERT_TRUE(waitUntil(
        [&] {
            items = property(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
                             QStringLiteral("RegisteredStatusNotifierItems"))
                        .toStringList();
            return !items.isEmpty();
        },
        20s));
    const QString item = items.front();
    const QString itemService = item.section(u'/', 0, 0);
    const QString itemPath = u'/' + item.section(u'/', 1);
    const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    const QDBusObjectPath menuPath =
        property(itemService, itemPath, itemInterface, QStringLiteral("Menu")).value<QDBusObjectPath>();
    ASSERT_FALSE(menuPath.path().isEmpty());
    // The cat dances while the music plays: its picture keeps changing.
    const auto picture = [&] {
        QByteArray bytes;
        const QDBusArgument pixmaps =
            property(itemService, itemPath, itemInterface, QStringLiteral("IconPixmap")).value<QDBusArgument>();
        pixmaps.beginArray();
        while (!pixmaps.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray data;
            pixmaps.beginStructure();
            pixmaps >> width >> height >> data;
            pixmaps.endStructure();
            bytes += data;
        }
        pixmaps.endArray();
        return bytes;
    };
    const QByteArray first = picture();
    EXPECT_FALSE(first.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return picture() != first; }, 5s));

    // The island hangs at the top centre; the pointer on it opens it.
    screenshot("desktop-collapsed.png");
    ChildProcess hover({"xdotool", "mousemove", "640", "8"});
    EXPECT_EQ(hover.waitForExit(10s), std::optional<int>(0));
    std::this_thread::sleep_for(1s);
    screenshot("desktop-expanded.png");

    // Menu entries clicked the way a panel clicks them.
    const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");
    const QDBusMessage layout =
        callOn(itemService, menuPath.path(), menuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    ASSERT_EQ(layout.arguments().size(), 2) << layout.errorMessage().toStdString();
    const auto click = [&](const QString& label) {
        const int id = entryLabelled(layout.arguments().at(1).value<QDBusArgument>(), label);
        EXPECT_NE(id, 0) << label.toStdString();
        callOn(itemService, menuPath.path(), menuInterface, QStringLiteral("Event"),
               {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    };

    // "Edit Vibes…" opens the vibe editor's window.
    click(QStringLiteral("Edit Vibes\u2026"));
    EXPECT_TRUE(waitUntil(
        [] {
            ChildProcess search({"xdotool", "search", "--onlyvisible", "--name", "^Vibes$"});
            return search.waitForExit(10s) == std::optional<int>(0);
        },
        10s))
        << log();
    std::this_thread::sleep_for(1s); // mapped; let it lay itself out before the picture
    screenshot("desktop-vibe-editor.png");

    // "Quit Nimbrel" ends the program and hands the status back.
    const auto clicked = std::chrono::steady_clock::now();
    click(QStringLiteral("Quit Nimbrel"));
    const std::optional<int> exited = program.waitForExit(15s);
    ASSERT_TRUE(exited) << log();
    EXPECT_TRUE(WIFEXITED(*exited) && WEXITSTATUS(*exited) == 0);
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, 7s);
    // There was no status before the music: handing it back clears it.
    EXPECT_EQ(statusesSent().back(), "");
    EXPECT_NE(log().find("engine stopped"), std::string::npos);
}

} // namespace
} // namespace nimbrel::testing
