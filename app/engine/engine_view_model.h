#pragma once

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "app/clients/genre_source.h"
#include "app/clients/http_session.h"
#include "app/clients/secret_store.h"
#include "app/clients/slack_api.h"
#include "app/clients/slack_token_store.h"
#include "app/clients/timers.h"
#include "app/engine/connect_phase.h"
#include "app/engine/screen_sleep_watcher.h"
#include "app/engine/slack_write_path.h"
#include "app/sources/now_playing_source.h"
#include "app/sources/player_command.h"
#include "app/sources/serial_queue.h"
#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "core/config/vibe_config.h"
#include "core/mascot/devo_state.h"
#include "core/nowplaying/now_playing.h"
#include "core/ownership/app_state.h"

namespace nimbrel {

/// The program's one engine: it owns the configuration in force, the state, the player source, the genre
/// source and one runtime per connected workspace, and runs the cycle that turns what is playing into a
/// Slack status — read the players, look up the artist's genres, resolve a vibe, render the status and
/// hand it to every workspace that posts. It also decides what happens when the music stops or the user
/// pauses, and publishes what the tray, the island and the editors show.
///
/// Everything runs on the main thread; only the player requests leave it, one at a time, on the player
/// queue. Runs never overlap: a request during a run queues exactly one more. See README.md for states.
class EngineViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusLine READ statusLine NOTIFY statusLineChanged)
    Q_PROPERTY(bool isPaused READ isPaused NOTIFY pausedChanged)
    Q_PROPERTY(qint64 devoTick READ devoTick NOTIFY devoTickChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY nowPlayingChanged)
    Q_PROPERTY(QString nowPlayingArtist READ nowPlayingArtist NOTIFY nowPlayingChanged)
    Q_PROPERTY(QString nowPlayingTrack READ nowPlayingTrack NOTIFY nowPlayingChanged)
    Q_PROPERTY(QByteArray artwork READ artwork NOTIFY artworkChanged)
    Q_PROPERTY(QStringList observedGenres READ observedGenres NOTIFY observedGenresChanged)

public:
    using TokenReader = std::function<QFuture<SecretLookup>(std::string teamID)>;
    using ClientFactory = std::function<std::shared_ptr<const SlackApi>(const std::string& token)>;
    using SourceFactory = std::function<std::shared_ptr<NowPlayingSource>(const std::vector<PlayerSourceID>&)>;
    using TokenWriter = std::function<QFuture<std::optional<KeychainError>>(SecretText token, std::string teamID)>;
    using TokenDeleter = std::function<QFuture<std::optional<KeychainError>>(std::string teamID)>;

    /// How long stopping may take, run in flight and final writes included.
    static constexpr std::chrono::seconds kStopLimit{5};
    /// The quiet period after a player's change notification.
    static constexpr std::chrono::milliseconds kDebounce{400};
    /// The shortest safety-net poll.
    static constexpr std::int64_t kMinimumPollSeconds = 30;
    static constexpr std::int64_t kMaximumPollSeconds = 86'400;
    static constexpr std::chrono::milliseconds kFrameInterval{300};

    /// What the engine is built from. Everything but the sleep watcher and the artwork session is required.
    struct Parts {
        std::shared_ptr<Timers> timers;
        /// config.json and state.json live here.
        AppFolder folder{std::filesystem::path()};
        /// The one queue that carries blocking player requests off the main thread.
        std::shared_ptr<SerialQueue> playerQueue;
        /// Builds the player source from the configured players (at creation and when they change).
        SourceFactory makeSource;
        std::unique_ptr<GenreSource> genres;
        TokenReader readToken;
        ClientFactory makeClient;
        std::unique_ptr<ScreenSleepWatcher> sleepWatcher;
        /// Where cover art is downloaded; none downloads no art (the headless program shows none).
        std::shared_ptr<HttpSession> artworkSession;
        /// Connecting workspaces: the sign-in service's base address (`APIEndpoint::baseURL()`), the session
        /// its claims go through, and the keyring's write and delete.
        QUrl signInBase;
        std::shared_ptr<HttpSession> signInSession;
        TokenWriter writeToken;
        TokenDeleter deleteToken;
    };

    /// Loads the configuration and the state, builds the source and one runtime per account (reading each
    /// token from the keyring, which may block briefly). Starts nothing.
    explicit EngineViewModel(Parts parts, QObject* parent = nullptr);
    ~EngineViewModel() override;
    Q_DISABLE_COPY_MOVE(EngineViewModel)

    // ---- What the interface shows
    DevoState devoState() const noexcept { return m_devoState; }
    QString statusLine() const { return m_statusLine; }
    bool isPaused() const noexcept { return m_isPaused; }
    qint64 devoTick() const noexcept { return m_devoTick; }
    bool displayIsAsleep() const noexcept { return m_displayIsAsleep; }
    const NowPlaying& lastReadState() const noexcept { return m_lastReadState; }
    bool isPlaying() const noexcept { return m_isPlaying; }
    QString nowPlayingArtist() const { return m_nowPlayingArtist; }
    QString nowPlayingTrack() const { return m_nowPlayingTrack; }
    /// The shown track's cover as the encoded image (PNG, JPEG…); empty when there is none. Whoever draws it
    /// decodes it, and bytes that are no image draw as no cover. The engine stays free of Qt's GUI library,
    /// which the headless program would otherwise load for nothing.
    QByteArray artwork() const { return m_artwork; }
    QStringList observedGenres() const { return m_observedGenres; }
    /// The live preview: what the track being resolved gives.
    struct Preview {
        std::string artist;
        std::string track;
        std::vector<std::string> genres;
        std::string vibeName;
        std::optional<std::string> hit;
        std::string statusText;
        std::string emoji;
        std::string vibeText;
        friend bool operator==(const Preview&, const Preview&) = default;
    };
    const Preview& preview() const noexcept { return m_preview; }
    const VibeConfig& config() const noexcept { return m_config; }
    const AppState& state() const noexcept { return m_state; }
    const std::map<std::string, std::string>& workspaceEmoji() const noexcept { return m_workspaceEmoji; }
    /// The workspaces' runtimes and the write path itself.
    const SlackWritePath& slack() const noexcept { return *m_slack; }
    /// Whether a run, the stop's final writes or a started task is still in flight.
    bool hasWorkInFlight() const noexcept { return m_isRunning || m_tasksInFlight > 0; }

    // ---- What the shell, the menu, the island and the editors call
    /// Begins observing the players, schedules the poll and runs once.
    void start();
    /// Stops observing, waits for the run in flight and hands the statuses back, for at most kStopLimit.
    QCoro::Task<> stop();
    /// Asks for a run; coalesced with the one in flight.
    void requestRun();
    /// One full cycle.
    QCoro::Task<> runOnce();
    void togglePause();
    /// Retries workspaces Slack rejected (re-reading their tokens), then runs.
    void updateNow();
    /// Replaces and saves the configuration; runs at once when `runNow` and not paused.
    void applyConfig(VibeConfig config, bool runNow);
    /// Reads config.json again (after it was edited by hand) and applies it; an unusable file is reported
    /// and the configuration in force stays. Returns the problem, if any.
    std::optional<std::string> reloadConfig();
    /// Every configured player's reading, for the Sources settings; read on the player queue.
    QCoro::Task<std::vector<std::pair<PlayerSourceID, NowPlaying>>> probeSources();
    /// A transport command for the player.
    void perform(PlayerCommand command);
    /// Hands the statuses back (clear or restore) in every configured workspace.
    QCoro::Task<> finishAll(bool force);
    /// "Post my status here" for one workspace.
    void setPosting(const std::string& teamID, bool enabled);
    /// Loads the custom emoji of every workspace not loaded yet (when the editor opens).
    void loadMissingWorkspaceEmoji();

    // ---- Connecting and disconnecting workspaces
    const ConnectPhase& connectPhase() const noexcept { return m_connectPhase; }
    /// Prepares an attempt and answers the sign-in start link to open in the browser; none, after setting
    /// the phase to `failed`, when no link can be made. A new attempt replaces one still pending.
    std::optional<QUrl> beginConnect();
    /// Abandons the attempt in flight.
    void cancelConnect();
    /// Completes the attempt with the address the browser was sent back to (nimbrel://auth?…).
    QCoro::Task<> handleCallback(QString address);
    /// Revokes the workspace's token, deletes it from the keyring and forgets the workspace; never stops
    /// half-way.
    QCoro::Task<> disconnect(SlackAccount account);

Q_SIGNALS:
    void devoStateChanged();
    void statusLineChanged();
    void pausedChanged();
    void devoTickChanged();
    void displayAsleepChanged();
    void lastReadStateChanged();
    void nowPlayingChanged();
    void artworkChanged();
    void previewChanged();
    void observedGenresChanged();
    void configChanged();
    void workspaceEmojiChanged();
    void connectPhaseChanged();
    /// A run ended (the stop waits for it).
    void runFinished();

private:
    QCoro::Task<> runAndContinue();
    QCoro::Task<> readWhilePaused();
    /// Reads the players and shows the reading; none when the engine went away meanwhile.
    QCoro::Task<std::optional<NowPlaying>> readAndShow();
    QCoro::Task<NowPlaying> readNowPlaying();
    QCoro::Task<> handBack();
    /// Resumes once the run in flight, if any, has ended.
    QCoro::Task<> afterRun();
    /// After the run in flight: one workspace's finish, or (none) every workspace's if still paused.
    QCoro::Task<> finishAfterRun(std::optional<std::string> teamID, bool force);
    /// The workspace is enabled, has a runtime and is not rejected.
    bool isPosting(std::string_view teamID) const;
    QCoro::Task<> retryRejected(std::vector<std::string> teamIDs);
    QCoro::Task<> refreshArtworkTask(QString key);
    QCoro::Task<> performTask(PlayerCommand command);
    QCoro::Task<> loadWorkspaceEmoji(std::string teamID);
    /// Runs a task nobody awaits, counted in hasWorkInFlight().
    void detach(QCoro::Task<> task);

    void buildRuntime(const SlackAccount& account);
    QCoro::Task<> addRuntime(SlackAccount account);
    void installRuntime(const SlackAccount& account, const SecretLookup& lookup);
    void scheduleDebouncedRun();
    void schedulePoll();
    void scheduleDeferredRetry();
    void observeSource();
    void saveState();

    // ---- Connecting (engine_connect.cpp)
    /// Attempts of one claim; the sign-in service may not have stored a fresh sign-in yet.
    static constexpr int kClaimAttempts = 3;
    /// Stores the phase; notifies only on change.
    void setConnectPhase(ConnectPhase phase);
    /// Ends attempt `attempt` with `phase`, unless a newer attempt has begun meanwhile: that one owns the phase.
    void settleAttempt(std::uint64_t attempt, ConnectPhase phase);
    /// Gives the workspace a fresh runtime with the new token, releases its ownership record and records the
    /// account (same place, posting switch kept on a reconnect).
    void adoptConnection(const std::string& token, const SlackAccount& account);

    void setDevoState(DevoState state);
    void setStatusLine(const std::string& line);
    void setLastReadState(const NowPlaying& reading);
    void showNowPlaying(const NowPlaying& reading);
    void refreshArtwork(const QString& key);
    void setPreview(Preview preview);
    void addObservedGenres(const std::vector<std::string>& names);
    void setDisplayAsleep(bool asleep);

    Parts m_parts;
    ConfigStore m_configStore;
    AppStateStore m_stateStore;
    VibeConfig m_config;
    AppState m_state;
    std::shared_ptr<NowPlayingSource> m_source;
    std::unique_ptr<SlackWritePath> m_slack;

    DevoState m_devoState = DevoState::paused;
    QString m_statusLine;
    bool m_isPaused = false;
    qint64 m_devoTick = 0;
    bool m_displayIsAsleep = false;
    NowPlaying m_lastReadState;
    QString m_nowPlayingArtist;
    QString m_nowPlayingTrack;
    QByteArray m_artwork;
    bool m_isPlaying = false;
    QString m_artworkKey;
    Preview m_preview;
    QStringList m_observedGenres;
    std::vector<std::string> m_observedGenreNames;
    std::set<std::string> m_observedFolded;
    std::map<std::string, std::string> m_workspaceEmoji;
    std::set<std::string> m_workspaceEmojiLoaded;
    ConnectPhase m_connectPhase;
    /// The verifier of the attempt in flight; memory only.
    std::optional<std::string> m_pendingVerifier;
    /// Counts the attempts begun, so a claim that outlives its attempt leaves the newer one's phase alone.
    std::uint64_t m_connectAttempt = 0;

    std::unique_ptr<TimerHandle> m_pollTimer;
    std::unique_ptr<TimerHandle> m_frameTimer;
    std::unique_ptr<TimerHandle> m_debounceWork;
    std::unique_ptr<TimerHandle> m_retryTimer;
    bool m_deferredForBudget = false;
    bool m_isObserving = false;
    bool m_isRunning = false;
    bool m_rerunQueued = false;
    int m_tasksInFlight = 0;
    // Coroutines suspended on a player, a keyring or the network check this when they resume.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); // declared last: gone first
};

} // namespace nimbrel
