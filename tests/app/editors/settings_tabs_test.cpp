// The Accounts, Sources and Behavior tabs driven through their real widgets against a real engine and a real
// config.json; Slack and the players are the engine fixture's in-process fakes. Each tab is also written as
// a picture into the build folder.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPromise>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <nlohmann/json.hpp>

#include "app/editors/accounts_settings_view.h"
#include "app/editors/behavior_settings_view.h"
#include "app/editors/sources_settings_view.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel {
namespace {

using testing::processEventsUntil;

template <typename Widget>
Widget* child(const QWidget& parent, const QString& name) {
    auto* found = parent.findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

void screenshot(QWidget& view, const char* name) {
    view.resize(560, 680);
    view.show();
    QCoreApplication::processEvents();
    const QImage picture = view.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(QStringLiteral(NIMBREL_SCREENSHOTS "/") + QLatin1String(name) + QStringLiteral(".png")));
}

nlohmann::json savedConfig(const std::filesystem::path& file) {
    return nlohmann::json::parse(testing::readBytes(file));
}

// ---- Behavior

class BehaviorTabTest : public testing::EngineTest {};

TEST_F(BehaviorTabTest, TheStepperStopsAt30And600AndEveryStepIsSaved) {
    makeEngine({});
    BehaviorSettingsView view(*engine);
    auto* poll = child<QSpinBox>(view, QStringLiteral("poll"));
    auto* label = child<QLabel>(view, QStringLiteral("poll-label"));
    ASSERT_TRUE(poll && label);
    EXPECT_EQ(poll->value(), 120);
    EXPECT_EQ(label->text(), QStringLiteral("Safety-net poll: every 120s"));

    QTest::keyClick(poll, Qt::Key_Up);
    EXPECT_EQ(engine->config().pollSeconds, 150);
    EXPECT_EQ(savedConfig(path("config.json")).at("poll_seconds"), 150);
    EXPECT_EQ(label->text(), QStringLiteral("Safety-net poll: every 150s"));

    for (int press = 0; press < 10; ++press) {
        QTest::keyClick(poll, Qt::Key_Down);
    }
    EXPECT_EQ(poll->value(), 30);
    EXPECT_EQ(engine->config().pollSeconds, 30);
    for (int press = 0; press < 25; ++press) {
        QTest::keyClick(poll, Qt::Key_PageUp); // larger strides still land on the grid and stop at the top
    }
    EXPECT_EQ(poll->value(), 600);
    EXPECT_EQ(engine->config().pollSeconds, 600);
    EXPECT_EQ(savedConfig(path("config.json")).at("poll_seconds"), 600);

    // Typed digits are snapped onto the grid when editing ends.
    poll->selectAll();
    QTest::keyClicks(poll, QStringLiteral("100"));
    QTest::keyClick(poll, Qt::Key_Return);
    EXPECT_EQ(engine->config().pollSeconds, 90);
    EXPECT_EQ(poll->value(), 90);
}

TEST_F(BehaviorTabTest, AnIntervalOffTheGridFromTheFileStepsOntoIt) {
    makeEngine({});
    VibeConfig config = engine->config();
    config.pollSeconds = 45;
    engine->applyConfig(config, false);
    BehaviorSettingsView view(*engine);
    auto* poll = child<QSpinBox>(view, QStringLiteral("poll"));
    ASSERT_TRUE(poll);
    EXPECT_EQ(poll->value(), 45) << "opening the tab changes nothing";
    EXPECT_EQ(engine->config().pollSeconds, 45);
    QTest::keyClick(poll, Qt::Key_Up);
    EXPECT_EQ(engine->config().pollSeconds, 60);
}

TEST_F(BehaviorTabTest, ThePickerAppliesTheChoiceAndShowsItsSummary) {
    makeEngine({});
    BehaviorSettingsView view(*engine);
    auto* picker = child<QComboBox>(view, QStringLiteral("when-music-stops"));
    auto* summary = child<QLabel>(view, QStringLiteral("summary"));
    ASSERT_TRUE(picker && summary);
    EXPECT_EQ(picker->currentText(), QStringLiteral("Restore my previous status"));
    QTest::keyClick(picker, Qt::Key_Down); // a closed combo box moves to the next choice and activates it
    EXPECT_EQ(engine->config().whenMusicStops, WhenMusicStops::clear);
    EXPECT_EQ(savedConfig(path("config.json")).at("when_music_stops"), "clear");
    EXPECT_EQ(summary->text(), QStringLiteral("Empties your Slack status whenever the music stops."));

    // A change made elsewhere (the file reloaded) shows here too.
    VibeConfig config = engine->config();
    config.whenMusicStops = WhenMusicStops::leave;
    engine->applyConfig(config, false);
    EXPECT_EQ(picker->currentText(), QStringLiteral("Leave the last status"));
    screenshot(view, "settings-behavior");
}

// ---- Accounts

class AccountsTabTest : public testing::EngineTest {
protected:
    AccountsTabTest() {
        adjustParts = [this](EngineViewModel::Parts& parts) {
            // Links are made but never followed here: no claim is made, so nothing listens on this port.
            parts.signInBase = QUrl(QStringLiteral("http://127.0.0.1:9/"));
            // A workspace without a token has no Slack client, as if the keyring had lost it.
            parts.makeClient = [inner = parts.makeClient](const std::string& token) {
                return token.empty() ? nullptr : inner(token);
            };
            parts.deleteToken = [this](std::string teamID) {
                deleted.push_back(teamID);
                keyringDelete = std::make_unique<QPromise<std::optional<KeychainError>>>();
                keyringDelete->start();
                return keyringDelete->future();
            };
        };
    }
    ~AccountsTabTest() override {
        if (keyringDelete) {
            finishKeyringDelete();
        }
    }
    void finishKeyringDelete() {
        keyringDelete->addResult(std::nullopt);
        keyringDelete->finish();
        keyringDelete.reset();
        settle();
    }
    QFrame* row(const QWidget& view, const char* teamID) {
        return child<QFrame>(view, QStringLiteral("row-") + QLatin1String(teamID));
    }
    std::unique_ptr<AccountsSettingsView> makeView(bool browserStarts = true) {
        return std::make_unique<AccountsSettingsView>(*engine, [this, browserStarts](const QUrl& link) {
            opened.push_back(link);
            return browserStarts;
        });
    }

    std::vector<std::string> deleted;
    std::unique_ptr<QPromise<std::optional<KeychainError>>> keyringDelete;
    std::vector<QUrl> opened;
};

TEST_F(AccountsTabTest, ThePostingSwitchReachesTheEngineAndTheFile) {
    makeEngine({"T1", "T2"});
    startEngine();
    auto view = makeView();
    QFrame* first = row(*view, "T1");
    ASSERT_TRUE(first);
    EXPECT_EQ(child<QLabel>(*first, QStringLiteral("state"))->text(), QStringLiteral("Posting"));
    child<QCheckBox>(*first, QStringLiteral("posting"))->click();
    settle();
    EXPECT_FALSE(engine->config().slackAccounts.at(0).isEnabled);
    EXPECT_TRUE(engine->config().slackAccounts.at(1).isEnabled);
    EXPECT_FALSE(savedConfig(path("config.json")).at("slack_accounts").at(0).at("is_enabled").get<bool>());

    first = row(*view, "T1");
    ASSERT_TRUE(first);
    EXPECT_EQ(child<QLabel>(*first, QStringLiteral("state"))->text(), QStringLiteral("Connected, not posting"));
    EXPECT_FALSE(child<QCheckBox>(*first, QStringLiteral("posting"))->isChecked());
    screenshot(*view, "settings-accounts");
}

TEST_F(AccountsTabTest, DisconnectShowsDisconnectingUntilTheWorkspaceIsGone) {
    // T1 has no client to revoke with, so its disconnect goes straight to the keyring, which answers when told.
    makeEngine({"T1", "T2"}, "restore", {"T1"});
    auto view = makeView();
    QFrame* first = row(*view, "T1");
    ASSERT_TRUE(first);
    auto* button = child<QPushButton>(*first, QStringLiteral("disconnect"));
    EXPECT_EQ(button->text(), QStringLiteral("Disconnect"));
    button->click();
    ASSERT_TRUE(processEventsUntil([&] { return keyringDelete != nullptr; }));

    first = row(*view, "T1");
    ASSERT_TRUE(first);
    button = child<QPushButton>(*first, QStringLiteral("disconnect"));
    EXPECT_EQ(button->text(), QStringLiteral("Disconnecting…"));
    EXPECT_FALSE(button->isEnabled()) << "a second press would disconnect twice";

    finishKeyringDelete();
    ASSERT_TRUE(processEventsUntil([&] { return engine->config().slackAccounts.size() == 1; }));
    EXPECT_EQ(deleted, std::vector<std::string>{"T1"});
    EXPECT_EQ(view->findChild<QFrame*>(QStringLiteral("row-T1")), nullptr);
    ASSERT_TRUE(row(*view, "T2"));
    EXPECT_EQ(child<QPushButton>(*row(*view, "T2"), QStringLiteral("disconnect"))->text(),
              QStringLiteral("Disconnect"));
    ASSERT_EQ(engine->config().slackAccounts.size(), 1U);
    EXPECT_EQ(engine->config().slackAccounts.at(0).teamID, "T2");
}

TEST_F(AccountsTabTest, ConnectOpensTheLinkWaitsForSlackAndShowsAFailure) {
    makeEngine({});
    auto view = makeView();
    auto* connectButton = child<QPushButton>(*view, QStringLiteral("connect"));
    auto* phase = child<QLabel>(*view, QStringLiteral("phase"));
    auto* cancel = child<QPushButton>(*view, QStringLiteral("cancel"));
    ASSERT_TRUE(connectButton && phase && cancel);
    view->show();
    EXPECT_EQ(connectButton->text(), QStringLiteral("Connect Slack"));
    EXPECT_FALSE(cancel->isVisible());

    connectButton->click();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened.at(0).host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(engine->connectPhase().kind, ConnectPhase::Kind::waitingForBrowser);
    EXPECT_EQ(phase->text(), QStringLiteral("Waiting for Slack…"));
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(logged("falling back to the default browser"), 1U);
    screenshot(*view, "settings-accounts-waiting");

    cancel->click();
    EXPECT_EQ(engine->connectPhase().kind, ConnectPhase::Kind::idle);
    EXPECT_FALSE(cancel->isVisible());

    // A callback from another attempt: the failure is what the user reads.
    connectButton->click();
    auto handling = engine->handleCallback(QStringLiteral("nimbrel://auth?state=not-this-attempt"));
    ASSERT_TRUE(processEventsUntil([&] { return handling.isReady(); }));
    EXPECT_EQ(phase->text(), QStringLiteral("The sign-in response didn’t match the request. Try connecting again."));
    EXPECT_FALSE(cancel->isVisible());
    screenshot(*view, "settings-accounts-failed");
}

TEST_F(AccountsTabTest, WithoutABrowserTheLinkIsShownToOpenByHand) {
    makeEngine({"T1"});
    auto view = makeView(false);
    auto* connectButton = child<QPushButton>(*view, QStringLiteral("connect"));
    auto* unopened = child<QLabel>(*view, QStringLiteral("unopened-link"));
    ASSERT_TRUE(connectButton && unopened);
    view->show();
    EXPECT_EQ(connectButton->text(), QStringLiteral("Add a Slack workspace…"));
    connectButton->click();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_TRUE(unopened->isVisible());
    EXPECT_TRUE(unopened->text().endsWith(opened.at(0).toString(QUrl::FullyEncoded)));
    engine->cancelConnect();
    EXPECT_FALSE(unopened->isVisible()) << "a cancelled attempt's link is no use";
}

// ---- Sources

/// The configured players as the coordinator reads them: Spotify plays, Apple Music refuses to answer.
class TwoPlayers final : public NowPlayingSource {
public:
    explicit TwoPlayers(std::vector<PlayerSourceID> ids)
        : m_ids(std::move(ids)) {}
    PlayerSourceID id() const override { return m_ids.empty() ? PlayerSourceID::spotify : m_ids.front(); }
    NowPlaying read() override { return readAll().empty() ? NowPlaying::notRunning() : readAll().front().second; }
    std::vector<std::pair<PlayerSourceID, NowPlaying>> readAll() override {
        std::vector<std::pair<PlayerSourceID, NowPlaying>> readings;
        for (const PlayerSourceID id : m_ids) {
            readings.emplace_back(id, id == PlayerSourceID::spotify
                                          ? NowPlaying::playing("Kavinsky", "Nightcall")
                                          : NowPlaying::error("Cider refused to answer over D-Bus."));
        }
        return readings;
    }
    void startObserving(ChangeHandler /*handler*/) override {}
    void stopObserving() override {}
    std::optional<Artwork> artwork() override { return std::nullopt; }
    void perform(PlayerCommand /*command*/) override {}

private:
    std::vector<PlayerSourceID> m_ids;
};

class SourcesTabTest : public testing::EngineTest {
protected:
    SourcesTabTest() {
        adjustParts = [](EngineViewModel::Parts& parts) {
            parts.makeSource = [](const std::vector<PlayerSourceID>& ids) {
                return std::make_shared<TwoPlayers>(ids);
            };
        };
    }
    void waitForCheck(const QWidget& view) {
        auto* button = child<QPushButton>(view, QStringLiteral("check-again"));
        ASSERT_TRUE(processEventsUntil([&] { return button->isEnabled(); }));
        EXPECT_EQ(button->text(), QStringLiteral("Check again"));
    }
    QString status(const QWidget& view, const char* player) {
        return child<QLabel>(view, QLatin1String(player) + QStringLiteral("-status"))->text();
    }
};

TEST_F(SourcesTabTest, SwitchesStoreThePlayersInOrderAndTheRowsSayWhatEachIsDoing) {
    makeEngine({}); // reads Spotify only
    SourcesSettingsView view(*engine, [] { return false; });
    view.show();
    waitForCheck(view);
    EXPECT_EQ(status(view, "spotify"), QStringLiteral("Playing Nightcall — Kavinsky"));
    EXPECT_EQ(status(view, "apple_music"), QStringLiteral("Off — Nimbrel won’t read this app."));
    auto* permissions = child<QPushButton>(view, QStringLiteral("apple_music-permissions"));
    EXPECT_FALSE(permissions->isVisible());

    // Off, then Apple Music on, then Spotify on: stored Spotify first all the same.
    child<QCheckBox>(view, QStringLiteral("spotify"))->click();
    EXPECT_TRUE(child<QWidget>(view, QStringLiteral("no-sources"))->isVisible());
    child<QCheckBox>(view, QStringLiteral("apple_music"))->click();
    child<QCheckBox>(view, QStringLiteral("spotify"))->click();
    waitForCheck(view);
    EXPECT_EQ(savedConfig(path("config.json")).at("sources"), nlohmann::json({"spotify", "apple_music"}));
    EXPECT_FALSE(child<QWidget>(view, QStringLiteral("no-sources"))->isVisible());
    EXPECT_EQ(status(view, "apple_music"), QStringLiteral("Cider refused to answer over D-Bus."));
    EXPECT_TRUE(permissions->isVisible());

    // No permissions settings on this desktop: the screen says so rather than doing nothing.
    permissions->click();
    EXPECT_TRUE(std::ranges::any_of(view.findChildren<QLabel*>(), [](const QLabel* label) {
        return label->isVisible() && label->text().startsWith(QStringLiteral("No app permissions settings"));
    }));
    screenshot(view, "settings-sources");
}

TEST_F(SourcesTabTest, CheckAgainFollowsAConfigurationChangedElsewhere) {
    makeEngine({});
    SourcesSettingsView view(*engine, [] { return true; });
    view.show();
    waitForCheck(view);
    VibeConfig config = engine->config();
    config.sources = {PlayerSourceID::appleMusic};
    engine->applyConfig(config, false); // the tab checks the newly chosen player at once
    waitForCheck(view);
    EXPECT_FALSE(child<QCheckBox>(view, QStringLiteral("spotify"))->isChecked());
    EXPECT_TRUE(child<QCheckBox>(view, QStringLiteral("apple_music"))->isChecked());
    EXPECT_EQ(status(view, "apple_music"), QStringLiteral("Cider refused to answer over D-Bus."));
    EXPECT_EQ(status(view, "spotify"), QStringLiteral("Off — Nimbrel won’t read this app."));
}

} // namespace
} // namespace nimbrel
