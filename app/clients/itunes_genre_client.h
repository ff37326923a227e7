#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clients/genre_source.h"
#include "app/clients/http_session.h"
#include "app/clients/timers.h"
#include "app/storage/app_folder.h"
#include "core/genres/genre_cache.h"

namespace nimbrel {

/// The genre source: the genre cache first, the iTunes Search API for artists it does not know yet, at
/// most 20 searches a minute. Answers go into the cache, which is saved 5 seconds after its last change.
/// Lives on the thread that made it; lookups of different artists may overlap.
class ITunesGenreClient final : public GenreSource {
public:
    struct Options {
        /// The session for searches; none makes one of its own (20-second deadline, no caching).
        std::shared_ptr<HttpSession> session;
        /// The clock and timers; none uses the real ones.
        std::shared_ptr<Timers> timers;
        /// The folder whose genre-cache.json holds the cache; none keeps the cache in memory only.
        std::optional<AppFolder> cacheFolder;
        /// The service's base address; none uses baseURL().
        std::optional<QUrl> baseURL;
        /// The version for the User-Agent; empty uses the application's version, or "0".
        QString version;
    };

    static constexpr std::chrono::seconds kSaveDelay{5};
    /// The program's public page, named in the User-Agent so the service's operators can reach us.
    static constexpr const char* kProjectPage = "https://github.com/quillmoor/nimbrel";

    static constexpr std::string_view kBudgetSpentPrefix =
        "genres: rate budget spent (20/min) \u2014 skipping the lookup for ";
    static constexpr std::string_view kLookupFailedPrefix = "genres: iTunes lookup failed for ";
    static constexpr std::string_view kHttpStatusPrefix = "genres: iTunes returned HTTP ";
    static constexpr std::string_view kNoMatchPrefix = "genres: no iTunes match for ";

    /// Loads the cache (a missing or unreadable file gives an empty one) and starts with a full budget.
    explicit ITunesGenreClient(Options options);
    /// A pending save is dropped: changes of the last 5 seconds are not written.
    ~ITunesGenreClient() override;
    ITunesGenreClient(const ITunesGenreClient&) = delete;
    ITunesGenreClient& operator=(const ITunesGenreClient&) = delete;

    QCoro::Task<std::vector<GenreTag>> genres(std::string artist) override;
    std::vector<std::string> observedGenres() const override;

    /// The cache as it stands.
    const GenreCache& cache() const;

    /// NimbrelITunesBaseURL when it is an http(s) address, else the public service.
    static QUrl baseURL();
    /// "Nimbrel/<version> (Linux; +<project page>)"; an empty version reads "0".
    static QByteArray userAgent(const QString& version);

private:
    struct State;
    static QCoro::Task<std::vector<GenreTag>> lookup(std::shared_ptr<State> state, std::string artist);
    static void scheduleSave(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
};

} // namespace nimbrel
