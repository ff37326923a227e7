#pragma once

#include <QDBusConnection>
#include <memory>

#include "app/clients/http_session.h"
#include "app/clients/slack_token_store.h"
#include "app/clients/timers.h"
#include "app/engine/engine_view_model.h"
#include "app/sources/reading_pool.h"
#include "app/sources/serial_queue.h"
#include "app/storage/app_folder.h"

namespace nimbrel {

/// What the program's engine is built from, made once per process from the environment: the folder, the
/// clock, the player queue and reading pool, the HTTP sessions, the keyring and the session bus. It
/// outlives the engine it builds, so work still finishing after a stop finds its queues in place.
class ProgramServices {
public:
    struct Options {
        /// Whether cover art is downloaded (the desktop program shows it; the headless one does not).
        bool downloadsArtwork = false;
        /// Whether the screens' sleep is watched (it only matters where the cat is drawn).
        bool watchesScreens = false;
    };

    /// `folder` is opened (created, leftovers of unfinished saves removed).
    ProgramServices(AppFolder folder, Options options);
    ~ProgramServices();
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    /// The parts of a new engine.
    EngineViewModel::Parts engineParts();

    const AppFolder& folder() const noexcept { return m_folder; }
    /// The program's clock and timers, shared with the windows that need time (the island's delays).
    const std::shared_ptr<Timers>& timers() const noexcept { return m_timers; }
    SlackTokenStore& tokenStore() noexcept { return m_tokenStore; }
    const std::shared_ptr<HttpSession>& slackSession() const noexcept { return m_slackSession; }

private:
    AppFolder m_folder;
    Options m_options;
    std::shared_ptr<Timers> m_timers;
    std::shared_ptr<SerialQueue> m_playerQueue;
    std::shared_ptr<ReadingPool> m_readingPool;
    std::shared_ptr<HttpSession> m_slackSession;
    SlackTokenStore m_tokenStore;
};

} // namespace nimbrel
