#pragma once

#include <condition_variable>
#include <coroutine>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
#include "tests/support/manual_timers.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {

/// A player whose readings the test sets. Reads happen on the engine's player queue, so everything is
/// guarded; `hold()` keeps the next reads waiting until `release()`.
class ScriptedSource final : public NowPlayingSource {
public:
    PlayerSourceID id() const override { return PlayerSourceID::spotify; }
    NowPlaying read() override {
        std::unique_lock lock(m_mutex);
        ++m_reads;
        m_released.wait(lock, [this] { return !m_held; });
        return m_reading;
    }
    void startObserving(ChangeHandler handler) override { m_handler = std::move(handler); }
    void stopObserving() override { m_handler = nullptr; }
    std::optional<Artwork> artwork() override { return std::nullopt; }
    void perform(PlayerCommand /*command*/) override {}

    void set(NowPlaying reading) {
        const std::lock_guard lock(m_mutex);
        m_reading = std::move(reading);
    }
    int reads() const {
        const std::lock_guard lock(m_mutex);
        return m_reads;
    }
    void hold() {
        const std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release() {
        {
            const std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_released.notify_all();
    }
    /// A change notification, as the player sends it; false when nobody observes.
    bool notify() {
        if (!m_handler) {
            return false;
        }
        m_handler();
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    NowPlaying m_reading;
    int m_reads = 0;
    bool m_held = false;
    ChangeHandler m_handler;
};

/// Genres by artist, answered at once.
class StaticGenres final : public GenreSource {
public:
    std::map<std::string, std::vector<std::string>> byArtist;
    QCoro::Task<std::vector<GenreTag>> genres(std::string artist) override {
        std::vector<GenreTag> tags;
        for (const std::string& name : byArtist[artist]) {
            tags.push_back(GenreTag{.name = name, .weight = std::nullopt});
        }
        co_return tags;
    }
    std::vector<std::string> observedGenres() const override { return {}; }
};

inline ServiceError networkDown() {
    return ServiceError(TransportError{TransportError::Kind::cannotConnect, "Could not connect to the server."});
}

/// Screens the test puts to sleep and wakes.
struct TestScreens final : ScreenSleepWatcher {
    std::shared_ptr<Handler> handler = std::make_shared<Handler>();
    void start(Handler onChange) override { *handler = std::move(onChange); }
    void stop() override { *handler = nullptr; }
};

/// One workspace's Slack, in process: the status it holds, every call made, and failures or hangs the
/// test asks for. Calls answer at once unless hung; hung calls resume (failing) on `releaseHung()`.
class FakeWorkspace final : public SlackApi {
public:
    struct Call {
        std::string method;
        SlackStatus sent;
    };
    mutable SlackStatus status;
    mutable std::vector<Call> calls;
    mutable std::deque<ServiceError> getFailures;
    mutable std::deque<ServiceError> setFailures;
    mutable bool hangSets = false;
    mutable bool hangGets = false;

    QCoro::Task<Result<SlackStatus>> getStatus() const override {
        calls.push_back({"users.profile.get", {}});
        if (hangGets) {
            Hang hang{this};
            co_await hang;
            co_return networkDown();
        }
        if (!getFailures.empty()) {
            co_return takeFront(getFailures);
        }
        SlackStatus copy = status; // GCC 12 moves from a member named in co_return
        co_return copy;
    }
    QCoro::Task<Result<SlackStatus>> setStatus(SlackStatus sent) const override {
        calls.push_back({"users.profile.set", sent});
        if (hangSets) {
            Hang hang{this};
            co_await hang;
            co_return ServiceError(TransportError{TransportError::Kind::timedOut, "The request timed out."});
        }
        if (!setFailures.empty()) {
            co_return takeFront(setFailures);
        }
        status = sent;
        co_return sent;
    }
    QCoro::Task<Result<EmojiMap>> listEmoji() const override { co_return EmojiMap{{"party-parrot", "https://x"}}; }
    QCoro::Task<Result<std::monostate>> revoke() const override { co_return std::monostate{}; }

    std::size_t sets() const {
        return static_cast<std::size_t>(std::count_if(
            calls.begin(), calls.end(), [](const Call& call) { return call.method == "users.profile.set"; }));
    }
    void releaseHung() const {
        for (const std::coroutine_handle<> handle : std::exchange(m_hung, {})) {
            handle.resume();
        }
    }

private:
    struct Hang {
        const FakeWorkspace* workspace;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) const { workspace->m_hung.push_back(handle); }
        void await_resume() const noexcept {}
    };
    static ServiceError takeFront(std::deque<ServiceError>& queue) {
        ServiceError error = queue.front();
        queue.pop_front();
        return error;
    }
    mutable std::vector<std::coroutine_handle<>> m_hung;
};

/// An engine on virtual time over a scripted player, in-process Slack workspaces and a real folder.
/// Its one vibe, "Focus", matches "electronic"; the template is "{vibe} · {track}".
class EngineTest : public ::testing::Test {
protected:
    EngineTest()
        : m_log({.folder = m_folder.path(), .debugEnabled = true, .systemLog = [this](LogLevel, std::string_view line) {
                     const std::lock_guard lock(m_linesMutex);
                     m_lines.emplace_back(line);
                 }}) {
        installAppLog(&m_log);
    }
    ~EngineTest() override {
        for (const auto& [teamID, workspace] : slack) {
            workspace->hangSets = false;
            workspace->hangGets = false;
            workspace->releaseHung();
        }
        if (engine) {
            processEventsUntil([this] { return !engine->hasWorkInFlight(); });
            engine.reset();
        }
        installAppLog(nullptr);
    }

    /// config.json with these workspaces (team ids; the token of T1 is "xoxp-T1"), then the engine.
    EngineViewModel& makeEngine(const std::vector<std::string>& teamIDs, std::string_view whenMusicStops = "restore",
                                std::vector<std::string> withoutToken = {}) {
        std::string accounts;
        for (const std::string& teamID : teamIDs) {
            accounts += (accounts.empty() ? "" : ",") + std::string(R"({"team_id":")") + teamID +
                        R"(","team_name":"Team )" + teamID + R"(","user_id":"U1"})";
            slack.emplace(teamID, std::make_shared<FakeWorkspace>());
            if (std::find(withoutToken.begin(), withoutToken.end(), teamID) == withoutToken.end()) {
                tokens[teamID] = "xoxp-" + teamID;
            }
        }
        writeFile("config.json", R"({"vibes":[{"name":"focus","status_text":"Focus","status_emoji":":zap:",)"
                                 R"("match":["electronic"]}],"status_format":"{vibe} · {track}","sources":["spotify"],)"
                                 R"("when_music_stops":")" +
                                     std::string(whenMusicStops) + R"(","slack_accounts":[)" + accounts + "]}");
        EngineViewModel::Parts parts;
        parts.timers = timers;
        parts.folder = AppFolder(m_folder.path());
        parts.playerQueue = std::make_shared<SerialQueue>("engine-test");
        parts.makeSource = [this](const std::vector<PlayerSourceID>&) {
            ++sourcesMade;
            return source;
        };
        auto genres = std::make_unique<StaticGenres>();
        genres->byArtist = {{"Kavinsky", {"Electronic"}}, {"Justice", {"Electronic", "French House"}}};
        parts.genres = std::move(genres);
        auto screens = std::make_unique<TestScreens>();
        screensAsleep = [handler = screens->handler](bool asleep) {
            if (*handler) {
                (*handler)(asleep);
            }
        };
        parts.sleepWatcher = std::move(screens);
        parts.readToken = [this](std::string teamID) {
            SecretLookup lookup;
            if (tokens.contains(teamID)) {
                lookup.secret = SecretText(tokens[teamID]);
            }
            return QtFuture::makeReadyFuture(lookup);
        };
        parts.makeClient = [this](const std::string& token) -> std::shared_ptr<const SlackApi> {
            const std::string teamID = token.size() > 5 ? token.substr(5) : "";
            if (slack.contains(teamID)) {
                return slack[teamID];
            }
            return std::make_shared<FakeWorkspace>(); // no token: a Slack that knows nobody
        };
        if (adjustParts) {
            adjustParts(parts);
        }
        engine = std::make_unique<EngineViewModel>(std::move(parts));
        return *engine;
    }

    void writeFile(std::string_view name, const std::string& text) { std::ofstream(m_folder / name) << text; }
    std::filesystem::path path(std::string_view name) const { return m_folder / name; }

    /// Runs the event loop until the engine has nothing in flight.
    void settle() {
        ASSERT_TRUE(processEventsUntil([this] { return !engine->hasWorkInFlight(); }));
    }
    /// The player changes to this reading and says so; the debounce passes; the run ends.
    void change(NowPlaying reading) {
        source->set(std::move(reading));
        source->notify();
        timers->advance(EngineViewModel::kDebounce);
        settle();
    }
    void play(const std::string& artist, const std::string& track) { change(NowPlaying::playing(artist, track)); }
    void startEngine() {
        engine->start();
        settle();
    }
    void stopEngine() {
        auto stopping = engine->stop();
        processEventsUntil([&] { return stopping.isReady(); });
    }
    /// Stops and drops the engine and forgets its workspaces, tokens and state.json: the next row of a table
    /// starts afresh.
    void discardEngine() {
        stopEngine();
        engine.reset();
        slack.clear();
        tokens.clear();
        std::filesystem::remove(path("state.json"));
    }

    std::vector<std::string> lines() {
        m_log.flush();
        const std::lock_guard lock(m_linesMutex);
        return m_lines;
    }
    /// How many log lines contain `text`.
    std::size_t logged(std::string_view text) {
        const std::vector<std::string> all = lines();
        return static_cast<std::size_t>(std::count_if(
            all.begin(), all.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }
    std::string statusLine() const { return engine->statusLine().toStdString(); }
    StatusOwnershipRecord record(const std::string& teamID) const { return engine->state().record(teamID); }

    std::shared_ptr<ManualTimers> timers = std::make_shared<ManualTimers>();
    /// How often the engine has made its player source (once, then at each change of the sources).
    int sourcesMade = 0;
    std::shared_ptr<ScriptedSource> source = std::make_shared<ScriptedSource>();
    std::map<std::string, std::shared_ptr<FakeWorkspace>> slack;
    std::map<std::string, std::string> tokens;
    std::unique_ptr<EngineViewModel> engine;
    /// Changes the parts before the engine is built (a derived fixture's own keyring, sessions or clients).
    std::function<void(EngineViewModel::Parts&)> adjustParts;
    /// Tells the engine the screens went to sleep (true) or woke (false).
    std::function<void(bool)> screensAsleep;

private:
    TemporaryFolder m_folder;
    std::mutex m_linesMutex;
    std::vector<std::string> m_lines;
    AppLog m_log;
};

} // namespace nimbrel::testing
