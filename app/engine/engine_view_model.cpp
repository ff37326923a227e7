#include "app/engine/engine_view_model.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorosignal.h>

#include "app/engine/engine_text.h"
#include "app/log/app_log.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/status_text.h"
#include "core/text/casing.h"
#include "core/text/collation.h"

namespace nimbrel {
namespace {

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The dedupe key: what the record's lastKey holds for the status last written to a workspace.
std::string dedupeKey(const Vibe& vibe, std::string_view text) {
    return vibe.name + "|" + std::string(text) + "|" + vibe.statusEmoji;
}

// Only web addresses are downloaded; a player may name anything as its cover.
bool isWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"https" || url.scheme() == u"http") && !url.host().isEmpty();
}

} // namespace

EngineViewModel::EngineViewModel(Parts parts, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
    , m_configStore(m_parts.folder, appLogSink())
    , m_stateStore(m_parts.folder, appLogSink())
    , m_statusLine(qText(EngineText::kStarting)) {
    m_config = m_configStore.load();
    if (const auto& unreadable = m_configStore.unreadable()) {
        log(EngineText::configUnusable(unreadable->description()), LogLevel::error);
    }
    m_state = m_stateStore.load().state.state;
    m_source = m_parts.makeSource(m_config.sources);
    m_slack = std::make_unique<SlackWritePath>(SlackWritePath::Environment{
        .state = &m_state,
        .timers = m_parts.timers,
        .whenMusicStops = [this] { return m_config.whenMusicStops; },
        .saveState = [this] { saveState(); },
        .noteDeferral = [this] { m_deferredForBudget = true; },
    });
    for (const SlackAccount& account : m_config.slackAccounts) {
        buildRuntime(account);
    }
}

EngineViewModel::~EngineViewModel() {
    if (m_isObserving) {
        m_source->stopObserving();
        if (m_parts.sleepWatcher) {
            m_parts.sleepWatcher->stop();
        }
    }
}

void EngineViewModel::buildRuntime(const SlackAccount& account) {
    // At creation the keyring is asked once per account; its answer comes within the Secret Service's own
    // time-out, and nothing else is running yet.
    installRuntime(account, m_parts.readToken(account.teamID).result());
}

QCoro::Task<> EngineViewModel::addRuntime(SlackAccount account) {
    const std::weak_ptr<bool> alive = m_alive;
    QFuture<SecretLookup> reading = m_parts.readToken(account.teamID);
    const SecretLookup lookup = co_await reading;
    if (!alive.expired() && m_slack->runtime(account.teamID) == nullptr) {
        installRuntime(account, lookup);
        requestRun();
    }
}

void EngineViewModel::installRuntime(const SlackAccount& account, const SecretLookup& lookup) {
    SlackWorkspaceRuntime runtime;
    if (lookup.found()) {
        runtime.client = m_parts.makeClient(std::string(lookup.secret->view()));
    } else {
        runtime.client = m_parts.makeClient(std::string());
        if (lookup.failed()) {
            const std::string error = lookup.error->description();
            log(EngineText::tokenUnreadable(account.displayName(), error), LogLevel::error);
            runtime.needsReauth = error;
        } else {
            log(EngineText::noStoredToken(account.displayName()), LogLevel::error);
            runtime.needsReauth = std::string(SlackWorkspaceRuntime::kNoStoredToken);
        }
    }
    m_slack->setRuntime(account.teamID, std::move(runtime));
}

// ---- Starting and stopping

void EngineViewModel::start() {
    if (m_isObserving) {
        return;
    }
    m_isObserving = true;
    observeSource();
    schedulePoll();
    if (m_parts.sleepWatcher) {
        m_parts.sleepWatcher->start([this](bool asleep) { setDisplayAsleep(asleep); });
    }
    addObservedGenres(m_parts.genres->observedGenres());
    requestRun();
}

QCoro::Task<> EngineViewModel::stop() {
    if (!m_isObserving) {
        co_return;
    }
    m_isObserving = false;
    m_source->stopObserving();
    m_debounceWork.reset();
    m_pollTimer.reset();
    m_retryTimer.reset();
    if (m_parts.sleepWatcher) {
        m_parts.sleepWatcher->stop();
    }
    // A new start watches afresh, counting the screens awake until told otherwise.
    setDisplayAsleep(false);
    setDevoState(m_devoState); // no longer observing: the frame timer stops
    const std::weak_ptr<bool> alive = m_alive;
    auto bounded = finishesWithin(*m_parts.timers, kStopLimit, handBack());
    co_await bounded;
    if (!alive.expired()) {
        log(EngineText::kEngineStopped);
    }
}

QCoro::Task<> EngineViewModel::handBack() {
    ++m_tasksInFlight;
    const std::weak_ptr<bool> alive = m_alive;
    auto waiting = afterRun();
    co_await waiting;
    if (alive.expired()) {
        co_return;
    }
    // Started again while a hung run kept this waiting: the new cycle owns the statuses now.
    if (!m_isObserving) {
        auto finishing = finishAll(true);
        co_await finishing;
    }
    if (!alive.expired()) {
        --m_tasksInFlight;
    }
}

void EngineViewModel::observeSource() {
    m_source->startObserving([this] { scheduleDebouncedRun(); });
}

// ---- Triggers

void EngineViewModel::scheduleDebouncedRun() {
    // A burst of notifications (a track change often arrives as two) gives one run after the last.
    m_debounceWork = m_parts.timers->start(kDebounce, TimerPurpose::debounce, [this] { requestRun(); });
}

void EngineViewModel::schedulePoll() {
    // poll_seconds is not range-checked in the file; a day is far beyond any useful safety net.
    const auto interval =
        std::chrono::seconds(std::clamp(m_config.pollSeconds, kMinimumPollSeconds, kMaximumPollSeconds));
    m_pollTimer = m_parts.timers->start(interval, TimerPurpose::poll, [this] {
        schedulePoll();
        requestRun();
    });
}

void EngineViewModel::scheduleDeferredRetry() {
    if (!m_isObserving) {
        return;
    }
    // The slot may have freed while the run went on; the retry then comes a second later rather than
    // leaving the write queued until the next poll.
    const Instant next = m_slack->earliestNextSlot().value_or(m_parts.timers->now());
    const double seconds = std::chrono::duration<double>(next - m_parts.timers->now()).count();
    const auto delay = std::max(static_cast<long long>(std::ceil(seconds)) + 1, 1LL);
    m_retryTimer =
        m_parts.timers->start(std::chrono::seconds(delay), TimerPurpose::deferredRetry, [this] { requestRun(); });
    log(EngineText::retryScheduled(delay), LogLevel::debug);
}

void EngineViewModel::requestRun() {
    if (!m_isObserving) {
        return;
    }
    if (m_isPaused) {
        detach(readWhilePaused());
        return;
    }
    if (m_isRunning) {
        m_rerunQueued = true;
        return;
    }
    m_isRunning = true;
    m_deferredForBudget = false;
    detach(runAndContinue());
}

QCoro::Task<> EngineViewModel::runAndContinue() {
    const std::weak_ptr<bool> alive = m_alive;
    auto run = runOnce();
    co_await run;
    if (alive.expired()) {
        co_return;
    }
    m_isRunning = false;
    Q_EMIT runFinished();
    if (m_rerunQueued) {
        m_rerunQueued = false;
        requestRun();
    } else if (m_deferredForBudget) {
        scheduleDeferredRetry();
    }
}

void EngineViewModel::detach(QCoro::Task<> task) {
    ++m_tasksInFlight;
    [](QCoro::Task<> work, EngineViewModel* self, std::weak_ptr<bool> alive) -> QCoro::Task<> {
        co_await work;
        if (!alive.expired()) {
            --self->m_tasksInFlight;
        }
    }(std::move(task), this, m_alive);
}

// ---- The cycle

QCoro::Task<NowPlaying> EngineViewModel::readNowPlaying() {
    log(EngineText::kReading, LogLevel::debug);
    QFuture<NowPlaying> future = m_parts.playerQueue->run([source = m_source] {
        try {
            return source->read();
        } catch (const std::exception& error) {
            // A source folds its failures into readings; this is the last line of defence.
            return NowPlaying::error(error.what());
        }
    });
    NowPlaying reading = co_await future;
    log(EngineText::readResult(reading), LogLevel::debug);
    co_return reading;
}

QCoro::Task<std::optional<NowPlaying>> EngineViewModel::readAndShow() {
    const std::weak_ptr<bool> alive = m_alive;
    auto reading = readNowPlaying();
    NowPlaying result = co_await reading;
    if (alive.expired()) {
        co_return std::nullopt;
    }
    setLastReadState(result);
    showNowPlaying(result);
    co_return result;
}

QCoro::Task<> EngineViewModel::readWhilePaused() {
    auto reading = readAndShow();
    co_await reading;
}

QCoro::Task<> EngineViewModel::runOnce() {
    const std::weak_ptr<bool> alive = m_alive;
    auto reading = readAndShow();
    const std::optional<NowPlaying> read = co_await reading;
    if (!read) {
        co_return;
    }
    const NowPlaying& result = *read;
    // Paused while the players were read: the display is current, Slack and the status line are not ours.
    if (m_isPaused) {
        co_return;
    }

    if (const auto* error = result.as<NowPlaying::Error>()) {
        setDevoState(DevoState::error);
        setStatusLine(EngineText::readingError(error->detail));
        setPreview({});
        co_return;
    }
    if (!result.isPlaying()) {
        auto finishing = finishAll(false);
        co_await finishing;
        if (alive.expired() || m_isPaused) {
            co_return;
        }
        setDevoState(DevoState::paused);
        const auto* notPlaying = result.as<NowPlaying::NotPlaying>();
        setStatusLine(notPlaying != nullptr ? EngineText::notPlaying(notPlaying->state)
                                            : std::string(EngineText::kNotRunning));
        setPreview({});
        co_return;
    }

    const NowPlaying::Playing playing = *result.as<NowPlaying::Playing>();
    auto lookup = m_parts.genres->genres(playing.artist);
    const std::vector<GenreTag> tags = co_await lookup;
    if (alive.expired() || m_isPaused) {
        co_return;
    }
    // The configuration may change while a run waits; this run goes by the one it started with.
    const VibeConfig config = m_config;
    Preview preview;
    preview.artist = playing.artist;
    preview.track = playing.track;
    for (const GenreTag& tag : tags) {
        preview.genres.push_back(tag.name);
    }
    addObservedGenres(preview.genres);

    const std::optional<VibeResolution> resolution = VibeEngine::resolve(config, tags, playing.artist);
    if (!resolution) {
        setDevoState(DevoState::paused);
        setStatusLine(EngineText::noVibeMatch(playing.track, playing.artist));
        setPreview(std::move(preview));
        co_return;
    }
    const Vibe& vibe = resolution->vibe;
    const std::string text = StatusText::render(config, vibe, playing.artist, playing.track);
    const std::string key = dedupeKey(vibe, text);
    preview.vibeName = vibe.name;
    preview.hit = resolution->hit;
    preview.statusText = text;
    preview.emoji = vibe.statusEmoji;
    preview.vibeText = config.resolvedTheme(vibe).apply(vibe.statusText, StatusText::slackLimit);
    setPreview(std::move(preview));
    const SlackStatus status{.text = text, .emoji = vibe.statusEmoji, .expiration = 0};

    std::vector<SlackAccount> posting;
    for (const SlackAccount& account : config.slackAccounts) {
        if (isPosting(account.teamID)) {
            posting.push_back(account);
        }
    }
    if (posting.empty()) {
        const bool anyRejected = !m_slack->rejectedTeamIDs().empty();
        const std::string_view reason = config.slackAccounts.empty() ? EngineText::kConnectSlack
                                        : anyRejected                ? EngineText::kReconnectSlack
                                                                     : EngineText::kNoWorkspacePosting;
        setDevoState(DevoState::notConnected);
        setStatusLine(EngineText::notPosting(reason, playing.track));
        co_return;
    }

    std::vector<std::pair<std::string, SlackWriteResult>> results;
    for (const SlackAccount& account : posting) {
        // Pausing, or turning this workspace's posting off, while earlier writes were awaited wins.
        if (m_isPaused) {
            co_return;
        }
        if (!isPosting(account.teamID) || m_state.record(account.teamID).lastKey == key) {
            continue;
        }
        auto writing = m_slack->write(status, key, account.teamID);
        SlackWriteResult written = co_await writing;
        if (alive.expired()) {
            co_return;
        }
        results.emplace_back(account.displayName(), std::move(written));
    }
    if (results.empty()) {
        setDevoState(DevoState::playing);
        setStatusLine(EngineText::playing(playing.track, playing.artist));
        co_return;
    }

    saveState();
    log(EngineText::summary(results, key));
    std::vector<SlackWriteResult> outcomes;
    for (const auto& [name, outcome] : results) {
        outcomes.push_back(outcome);
    }
    const SlackWriteResult overall = SlackWriteResult::overall(outcomes);
    if (overall.as<SlackWriteResult::Wrote>() != nullptr) {
        setDevoState(DevoState::playing);
        setStatusLine(EngineText::playing(playing.track, playing.artist));
    } else if (overall.as<SlackWriteResult::Deferred>() != nullptr) {
        setDevoState(DevoState::playing);
        setStatusLine(EngineText::playing(playing.track, playing.artist) + std::string(EngineText::kQueuedSuffix));
    } else if (overall.as<SlackWriteResult::Yielded>() != nullptr) {
        setDevoState(DevoState::paused);
        setStatusLine(std::string(EngineText::kStandingBy));
    } else {
        setDevoState(DevoState::error);
        setStatusLine(EngineText::slackError(overall.as<SlackWriteResult::Failed>()->reason));
    }
}

bool EngineViewModel::isPosting(std::string_view teamID) const {
    const auto account = std::find_if(m_config.slackAccounts.begin(), m_config.slackAccounts.end(),
                                      [&](const SlackAccount& each) { return each.teamID == teamID; });
    const SlackWorkspaceRuntime* runtime = m_slack->runtime(teamID);
    return account != m_config.slackAccounts.end() && account->isEnabled && runtime != nullptr &&
           !runtime->isRejected();
}

QCoro::Task<> EngineViewModel::afterRun() {
    if (m_isRunning) {
        auto runEnded = qCoro(this, &EngineViewModel::runFinished);
        co_await runEnded;
    }
}

QCoro::Task<> EngineViewModel::finishAfterRun(std::optional<std::string> teamID, bool force) {
    const std::weak_ptr<bool> alive = m_alive;
    auto waiting = afterRun();
    co_await waiting;
    if (alive.expired()) {
        co_return;
    }
    if (teamID) {
        auto finishing = m_slack->finish(*teamID, force);
        co_await finishing;
    } else if (m_isPaused) { // resumed meanwhile: the resuming run takes over
        auto finishing = finishAll(force);
        co_await finishing;
    }
}

QCoro::Task<> EngineViewModel::finishAll(bool force) {
    if (m_config.whenMusicStops == WhenMusicStops::leave) {
        co_return;
    }
    const std::weak_ptr<bool> alive = m_alive;
    const std::vector<SlackAccount> accounts = m_config.slackAccounts;
    for (const SlackAccount& account : accounts) {
        auto finishing = m_slack->finish(account.teamID, force);
        co_await finishing;
        if (alive.expired()) {
            co_return;
        }
    }
    saveState();
}

void EngineViewModel::saveState() {
    m_stateStore.save(m_state);
}

// ---- What the user does

void EngineViewModel::togglePause() {
    m_isPaused = !m_isPaused;
    Q_EMIT pausedChanged();
    if (m_isPaused) {
        setDevoState(DevoState::paused);
        setStatusLine(std::string(EngineText::kPaused));
        // After the run in flight, which sees the pause and stops short of writing.
        detach(finishAfterRun(std::nullopt, false));
    } else {
        setStatusLine(std::string(EngineText::kResuming));
        requestRun();
    }
}

void EngineViewModel::updateNow() {
    std::vector<std::string> rejected = m_slack->rejectedTeamIDs();
    if (rejected.empty()) {
        requestRun();
        return;
    }
    log(EngineText::retryingRejected(rejected.size()));
    detach(retryRejected(std::move(rejected)));
}

QCoro::Task<> EngineViewModel::retryRejected(std::vector<std::string> teamIDs) {
    const std::weak_ptr<bool> alive = m_alive;
    for (const std::string& teamID : teamIDs) {
        QFuture<SecretLookup> reading = m_parts.readToken(teamID);
        const SecretLookup lookup = co_await reading;
        if (alive.expired()) {
            co_return;
        }
        m_slack->clearRejection(teamID,
                                lookup.found() ? m_parts.makeClient(std::string(lookup.secret->view())) : nullptr);
    }
    // Every posting workspace is written again, the retried ones included.
    m_state.clearAllKeys();
    requestRun();
}

void EngineViewModel::applyConfig(VibeConfig config, bool runNow) {
    const VibeConfig old = std::exchange(m_config, std::move(config));
    m_configStore.save(m_config); // a failure is logged by the store; the new configuration stays in force
    if (old.sources != m_config.sources) {
        m_source->stopObserving();
        m_source = m_parts.makeSource(m_config.sources);
        if (m_isObserving) {
            observeSource();
        }
    }
    if (old.pollSeconds != m_config.pollSeconds && m_isObserving) {
        schedulePoll();
    }
    if (old.animateMenuBar != m_config.animateMenuBar) {
        setDevoState(m_devoState);
    }
    m_state.clearAllKeys();
    // Said once everything follows the new configuration, so whoever listens reads the players it chose.
    if (old != m_config) {
        Q_EMIT configChanged();
    }
    if (runNow && !m_isPaused) {
        requestRun();
    }
}

std::optional<std::string> EngineViewModel::reloadConfig() {
    // Read without side effects: a missing file must not be replaced by the built-in document, which
    // would drop the connected workspaces the program still holds.
    const ConfigReading reading = ConfigStore::read(m_configStore.path());
    std::optional<std::string> problem;
    if (reading.unreadable) {
        problem = reading.unreadable->description();
    } else if (!reading.file.isFound()) {
        problem = EngineText::kConfigMissing;
    }
    if (problem) {
        log(EngineText::configNotReloaded(*problem), LogLevel::error);
        setStatusLine(EngineText::configNotReloaded(*problem));
        return problem;
    }
    // Workspaces added or removed by hand get or lose their runtimes; a token is read off the main thread.
    for (const SlackAccount& account : reading.config.slackAccounts) {
        if (m_slack->runtime(account.teamID) == nullptr) {
            detach(addRuntime(account));
        }
    }
    for (const auto& [teamID, runtime] : std::map(m_slack->runtimes())) {
        if (std::none_of(reading.config.slackAccounts.begin(), reading.config.slackAccounts.end(),
                         [&](const SlackAccount& account) { return account.teamID == teamID; })) {
            m_slack->removeRuntime(teamID);
        }
    }
    applyConfig(reading.config, true);
    return std::nullopt;
}

void EngineViewModel::setPosting(const std::string& teamID, bool enabled) {
    VibeConfig changed = m_config;
    const auto account = std::find_if(changed.slackAccounts.begin(), changed.slackAccounts.end(),
                                      [&](const SlackAccount& each) { return each.teamID == teamID; });
    if (account == changed.slackAccounts.end() || account->isEnabled == enabled) {
        return;
    }
    account->isEnabled = enabled;
    if (enabled) {
        // The workspace is treated as new: what is up there is snapshotted before the first write.
        m_state.releaseStatus(teamID);
        saveState();
        applyConfig(std::move(changed), true);
    } else {
        applyConfig(std::move(changed), false);
        detach(finishAfterRun(teamID, true));
    }
}

void EngineViewModel::perform(PlayerCommand command) {
    if (command == PlayerCommand::playPause) {
        m_isPlaying = !m_isPlaying;
        Q_EMIT nowPlayingChanged();
    }
    detach(performTask(command));
}

QCoro::Task<> EngineViewModel::performTask(PlayerCommand command) {
    const std::weak_ptr<bool> alive = m_alive;
    QFuture<void> done = m_parts.playerQueue->run([source = m_source, command] { source->perform(command); });
    co_await done;
    if (!alive.expired()) {
        scheduleDebouncedRun();
    }
}

QCoro::Task<std::vector<std::pair<PlayerSourceID, NowPlaying>>> EngineViewModel::probeSources() {
    QFuture<std::vector<std::pair<PlayerSourceID, NowPlaying>>> probing =
        m_parts.playerQueue->run([source = m_source] { return source->readAll(); });
    co_return co_await probing;
}

void EngineViewModel::loadMissingWorkspaceEmoji() {
    for (const SlackAccount& account : m_config.slackAccounts) {
        if (m_slack->runtime(account.teamID) != nullptr && m_workspaceEmojiLoaded.insert(account.teamID).second) {
            detach(loadWorkspaceEmoji(account.teamID));
        }
    }
}

QCoro::Task<> EngineViewModel::loadWorkspaceEmoji(std::string teamID) {
    const SlackWorkspaceRuntime* runtime = m_slack->runtime(teamID);
    if (runtime == nullptr) {
        m_workspaceEmojiLoaded.erase(teamID);
        co_return;
    }
    const std::weak_ptr<bool> alive = m_alive;
    const std::shared_ptr<const SlackApi> client = runtime->client;
    auto listing = client->listEmoji();
    const SlackApi::Result<SlackApi::EmojiMap> emoji = co_await listing;
    if (alive.expired()) {
        co_return;
    }
    if (emoji) {
        const std::map<std::string, std::string> before = m_workspaceEmoji;
        for (const auto& [name, value] : emoji.value()) {
            m_workspaceEmoji.insert_or_assign(name, value);
        }
        if (m_workspaceEmoji != before) {
            Q_EMIT workspaceEmojiChanged();
        }
        co_return;
    }
    const auto account = std::find_if(m_config.slackAccounts.begin(), m_config.slackAccounts.end(),
                                      [&](const SlackAccount& each) { return each.teamID == teamID; });
    log(EngineText::emojiFailed(account != m_config.slackAccounts.end() ? account->displayName() : teamID,
                                emoji.error().description()),
        LogLevel::error);
    m_workspaceEmojiLoaded.erase(teamID);
}

// ---- What the interface shows

void EngineViewModel::setDevoState(DevoState state) {
    if (std::exchange(m_devoState, state) != state) {
        Q_EMIT devoStateChanged();
    }
    const bool animates = state == DevoState::playing && m_isObserving && m_config.animateMenuBar && !m_displayIsAsleep;
    if (!animates) {
        m_frameTimer.reset();
        return;
    }
    if (m_frameTimer) {
        return;
    }
    // Each frame arms the next, so the ticks stop the moment the handle goes.
    std::function<void()> tick;
    tick = [this] {
        ++m_devoTick;
        Q_EMIT devoTickChanged();
        m_frameTimer.reset();
        setDevoState(m_devoState);
    };
    m_frameTimer = m_parts.timers->start(kFrameInterval, TimerPurpose::animationFrame, std::move(tick));
}

void EngineViewModel::setDisplayAsleep(bool asleep) {
    if (std::exchange(m_displayIsAsleep, asleep) == asleep) {
        return;
    }
    Q_EMIT displayAsleepChanged();
    setDevoState(m_devoState);
}

void EngineViewModel::setStatusLine(const std::string& line) {
    const QString text = qText(line);
    if (text != m_statusLine) {
        m_statusLine = text;
        Q_EMIT statusLineChanged();
    }
}

void EngineViewModel::setLastReadState(const NowPlaying& reading) {
    if (reading != m_lastReadState) {
        m_lastReadState = reading;
        Q_EMIT lastReadStateChanged();
    }
}

void EngineViewModel::showNowPlaying(const NowPlaying& reading) {
    const bool wasPlaying = m_isPlaying;
    const QString oldArtist = m_nowPlayingArtist;
    const QString oldTrack = m_nowPlayingTrack;
    std::optional<QString> artworkKey;
    if (const auto* playing = reading.as<NowPlaying::Playing>()) {
        m_isPlaying = true;
        m_nowPlayingArtist = qText(playing->artist);
        m_nowPlayingTrack = qText(playing->track);
        artworkKey = m_nowPlayingArtist + u'\t' + m_nowPlayingTrack;
    } else if (const auto* notPlaying = reading.as<NowPlaying::NotPlaying>()) {
        m_isPlaying = false;
        // A paused player without a track keeps the last track and its cover on screen.
        if (!notPlaying->track.empty()) {
            m_nowPlayingArtist = qText(notPlaying->artist);
            m_nowPlayingTrack = qText(notPlaying->track);
            artworkKey = m_nowPlayingArtist + u'\t' + m_nowPlayingTrack;
        }
    } else {
        m_isPlaying = false;
        m_nowPlayingArtist.clear();
        m_nowPlayingTrack.clear();
        m_artworkKey.clear();
        if (!m_artwork.isEmpty()) {
            m_artwork.clear();
            Q_EMIT artworkChanged();
        }
    }
    if (wasPlaying != m_isPlaying || oldArtist != m_nowPlayingArtist || oldTrack != m_nowPlayingTrack) {
        Q_EMIT nowPlayingChanged();
    }
    if (artworkKey) {
        refreshArtwork(*artworkKey);
    }
}

void EngineViewModel::refreshArtwork(const QString& key) {
    if (key == m_artworkKey) {
        return;
    }
    m_artworkKey = key;
    if (m_parts.artworkSession) {
        detach(refreshArtworkTask(key));
    } else if (!m_artwork.isEmpty()) {
        m_artwork.clear();
        Q_EMIT artworkChanged();
    }
}

QCoro::Task<> EngineViewModel::refreshArtworkTask(QString key) {
    const std::weak_ptr<bool> alive = m_alive;
    QFuture<std::optional<Artwork>> asking =
        m_parts.playerQueue->run([source = m_source] { return source->artwork(); });
    const std::optional<Artwork> artwork = co_await asking;
    if (alive.expired()) {
        co_return;
    }
    QByteArray image;
    if (artwork && artwork->data() != nullptr) {
        const std::vector<char>& bytes = artwork->data()->bytes;
        image = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    } else if (artwork && artwork->url() != nullptr) {
        const QUrl address(qText(artwork->url()->address));
        if (isWebAddress(address)) {
            const std::shared_ptr<HttpSession> session = m_parts.artworkSession;
            HttpRequest request;
            request.url = address;
            auto download = session->send(std::move(request));
            const auto answer = co_await download;
            if (alive.expired()) {
                co_return;
            }
            if (answer && answer.value().status == 200) {
                image = answer.value().body;
            }
        }
    }
    // A newer track may have asked meanwhile; its answer wins.
    if (m_artworkKey == key && image != m_artwork) {
        m_artwork = image;
        Q_EMIT artworkChanged();
    }
}

void EngineViewModel::setPreview(Preview preview) {
    if (preview != m_preview) {
        m_preview = std::move(preview);
        Q_EMIT previewChanged();
    }
}

void EngineViewModel::addObservedGenres(const std::vector<std::string>& names) {
    bool added = false;
    for (const std::string& name : names) {
        if (name.empty() || !m_observedFolded.insert(Casing::folded(name)).second) {
            continue;
        }
        // Kept in the user's order as genres arrive, so a run costs a lookup, not a sort.
        const auto at = std::upper_bound(m_observedGenreNames.begin(), m_observedGenreNames.end(), name,
                                         Collation::localizedCaseInsensitiveLess);
        m_observedGenres.insert(at - m_observedGenreNames.begin(), qText(name));
        m_observedGenreNames.insert(at, name);
        added = true;
    }
    if (added) {
        Q_EMIT observedGenresChanged();
    }
}

} // namespace nimbrel
