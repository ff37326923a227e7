#pragma once

// What a test or a benchmark needs to drive the real `nimbrel --headless` against the fakes: child processes
// with an environment of their own, the fake player program and its control interface on the session bus,
// tokens in the keyring, a configuration with workspaces, and waits on app.log and on the fake's requests.
// Header-only; users link Qt6::DBus, nimbrel_token_store and nimbrel_fakes.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/clients/slack_token_store.h"
#include "core/config/built_in_config.h"
#include "tests/support/child_process.h"
#include "tests/support/http/scripted_http_server.h"

namespace nimbrel::testing {

/// Checks `condition` every 10 ms until it holds or `timeout` has passed; whether it held.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds{10});
    }
    return true;
}

/// The whole file, or empty when it cannot be read.
inline std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

/// How often `needle` occurs in `text`.
inline std::size_t occurrences(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

/// The nimbrel-fake-player program on the session bus, driven through its control interface.
class FakePlayerProcess {
public:
    FakePlayerProcess(const std::string& program, const std::string& name)
        : m_program({program, "--name", name, "--identity", "Spotify"}, {})
        , m_service(QStringLiteral("com.quillmoor.nimbrel.FakePlayer.") + QString::fromStdString(name)) {
        // It prints its line once its names are on the bus.
        m_ready = m_program.readLine(std::chrono::seconds{20}).has_value();
    }

    bool ready() const { return m_ready; }
    pid_t pid() const { return m_program.pid(); }

    /// A control call, answered after the player has announced its change; false on a D-Bus error.
    bool call(const QString& method, const QVariantList& arguments = {}) const {
        QDBusMessage message =
            QDBusMessage::createMethodCall(m_service, QStringLiteral("/com/quillmoor/nimbrel/FakePlayer"),
                                           QStringLiteral("com.quillmoor.nimbrel.FakePlayer"), method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message, QDBus::Block, 10'000).type() == QDBusMessage::ReplyMessage;
    }
    bool play(const std::string& artist, const std::string& title) const {
        return call(QStringLiteral("Play"), {QString::fromStdString(artist), QString::fromStdString(title), QString()});
    }
    bool changeTrack(const std::string& artist, const std::string& title) const {
        return call(QStringLiteral("ChangeTrack"),
                    {QString::fromStdString(artist), QString::fromStdString(title), QString(), 1});
    }
    bool pause() const { return call(QStringLiteral("Pause")); }
    bool stop() const { return call(QStringLiteral("Stop"), {true}); }

private:
    ChildProcess m_program;
    QString m_service;
    bool m_ready = false;
};

/// One connected workspace as the test sets it up: its record in config.json and its token in the keyring.
struct TestWorkspace {
    std::string teamID;
    std::string teamName;
    std::string userID;
    std::string token;
};

/// Stores the workspaces' tokens in the session's keyring with the program's own token store; false when
/// one could not be stored.
inline bool storeTokens(const std::vector<TestWorkspace>& workspaces) {
    SlackTokenStore store;
    for (const TestWorkspace& workspace : workspaces) {
        if (store.write(SecretText(workspace.token), workspace.teamID).result().has_value()) {
            return false;
        }
    }
    return true;
}

/// The shipped configuration document with the workspaces' records added, as config.json holds it.
inline std::string configWithWorkspaces(const std::vector<TestWorkspace>& workspaces,
                                        const nlohmann::json& changes = nlohmann::json::object()) {
    nlohmann::json document = nlohmann::json::parse(builtInConfigText);
    nlohmann::json accounts = nlohmann::json::array();
    for (const TestWorkspace& workspace : workspaces) {
        accounts.push_back(
            {{"team_id", workspace.teamID}, {"team_name", workspace.teamName}, {"user_id", workspace.userID}});
    }
    document["slack_accounts"] = accounts;
    document.update(changes);
    return document.dump(2);
}

/// The Slack calls that arrived with this token, for one method ("users.profile.set") or ("") all.
inline std::vector<RecordedRequest> slackCalls(const ScriptedHttpServer& slack, const std::string& token,
                                               std::string_view method = {}) {
    std::vector<RecordedRequest> calls;
    for (RecordedRequest& request : slack.requests()) {
        if (request.header("Authorization") == "Bearer " + token &&
            (method.empty() || request.path == "/api/" + std::string(method))) {
            calls.push_back(std::move(request));
        }
    }
    return calls;
}

/// The real `nimbrel --headless` in the folder `home`, pointed at the fakes, with debug logging on.
class HeadlessProgram {
public:
    HeadlessProgram(const std::string& executable, std::filesystem::path home, const std::string& slackBaseURL,
                    const std::string& iTunesBaseURL)
        : m_home(std::move(home))
        , m_program({executable, "--headless"}, {{"NIMBREL_HOME", m_home.string()},
                                                 {"NimbrelSlackBaseURL", slackBaseURL},
                                                 {"NimbrelITunesBaseURL", iTunesBaseURL},
                                                 {"NimbrelDebugLogging", "1"}}) {}

    pid_t pid() const { return m_program.pid(); }
    ChildProcess& process() { return m_program; }

    /// app.log as it stands.
    std::string log() const { return readWholeFile(m_home / "app.log"); }
    /// How many times app.log holds `needle`.
    std::size_t logCount(std::string_view needle) const { return occurrences(log(), needle); }
    /// Waits until app.log holds `needle` at least `count` times.
    bool waitForLog(std::string_view needle, std::size_t count = 1,
                    std::chrono::milliseconds timeout = std::chrono::seconds{20}) const {
        return waitUntil([&] { return logCount(needle) >= count; }, timeout);
    }

private:
    std::filesystem::path m_home;
    ChildProcess m_program;
};

} // namespace nimbrel::testing
