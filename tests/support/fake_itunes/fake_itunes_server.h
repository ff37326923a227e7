#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/http/scripted_http_server.h"

namespace nimbrel::testing {

/// The iTunes Search API's artist search over real HTTP on 127.0.0.1: GET /search?term=…&entity=
/// musicArtist&limit=N answers {"resultCount", "results"} with the known artists whose names contain the
/// term (case ignored), served as text/javascript as the real one does. With a throttle set, searches
/// beyond it within a minute get the service's 403 with an empty body.
///
/// Admin path besides the base's: POST /_fake/itunes/artist {"name", "genre"} adds an artist.
class FakeITunesServer final : public ScriptedHttpServer {
public:
    FakeITunesServer();
    /// Stops serving before the state the handler reads goes away.
    ~FakeITunesServer() override { stop(); }
    FakeITunesServer(const FakeITunesServer&) = delete;
    FakeITunesServer& operator=(const FakeITunesServer&) = delete;

    /// Adds an artist; without a genre the result has no "primaryGenreName".
    void addArtist(const std::string& name, const std::optional<std::string>& genre);
    /// At most this many searches a minute; 0 (the default) is no limit.
    void setSearchesPerMinute(int limit);

    /// The answer shape for a list of (name, genre) results.
    static ScriptedResponse results(const std::vector<std::pair<std::string, std::optional<std::string>>>& artists);

protected:
    std::optional<ScriptedResponse> handleAdmin(const RecordedRequest& request) override;

private:
    ScriptedResponse answer(const RecordedRequest& request);

    struct Artist {
        std::string name;
        std::optional<std::string> genre;
    };
    mutable std::mutex m_stateMutex;
    std::vector<Artist> m_artists;
    int m_searchesPerMinute = 0;
    std::deque<std::chrono::steady_clock::time_point> m_searches;
};

} // namespace nimbrel::testing
