#include "tests/support/fake_itunes/fake_itunes_server.h"

#include <algorithm>

namespace nimbrel::testing {
namespace {

std::string folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

nlohmann::json artistJson(const std::string& name, const std::optional<std::string>& genre, int id) {
    nlohmann::json result = {{"wrapperType", "artist"},
                             {"artistType", "Artist"},
                             {"artistName", name},
                             {"artistLinkUrl", "https://music.apple.com/us/artist/" + std::to_string(id)},
                             {"artistId", id}};
    if (genre) {
        result["primaryGenreName"] = *genre;
        result["primaryGenreId"] = 21;
    }
    return result;
}

ScriptedResponse javascript(const nlohmann::json& body) {
    return ScriptedResponse::text(200, body.dump(), "text/javascript; charset=utf-8");
}

} // namespace

FakeITunesServer::FakeITunesServer() {
    setHandler([this](const RecordedRequest& request) { return answer(request); });
}

void FakeITunesServer::addArtist(const std::string& name, const std::optional<std::string>& genre) {
    const std::lock_guard lock(m_stateMutex);
    m_artists.push_back({name, genre});
}

void FakeITunesServer::setSearchesPerMinute(int limit) {
    const std::lock_guard lock(m_stateMutex);
    m_searchesPerMinute = limit;
}

ScriptedResponse
FakeITunesServer::results(const std::vector<std::pair<std::string, std::optional<std::string>>>& artists) {
    nlohmann::json list = nlohmann::json::array();
    int id = 909'253;
    for (const auto& [name, genre] : artists) {
        list.push_back(artistJson(name, genre, id++));
    }
    return javascript({{"resultCount", list.size()}, {"results", list}});
}

ScriptedResponse FakeITunesServer::answer(const RecordedRequest& request) {
    if (request.path != "/search") {
        return ScriptedResponse::text(404, "");
    }
    const std::lock_guard lock(m_stateMutex);
    if (m_searchesPerMinute > 0) {
        const auto now = std::chrono::steady_clock::now();
        while (!m_searches.empty() && now - m_searches.front() >= std::chrono::minutes{1}) {
            m_searches.pop_front();
        }
        if (m_searches.size() >= static_cast<std::size_t>(m_searchesPerMinute)) {
            return ScriptedResponse::text(403, "", "text/html");
        }
        m_searches.push_back(now);
    }
    const std::string term = folded(request.param("term"));
    const std::string limitText = request.param("limit");
    const std::size_t limit =
        limitText.empty() ? 50 : static_cast<std::size_t>(std::max(0, std::atoi(limitText.c_str())));
    nlohmann::json list = nlohmann::json::array();
    int id = 909'253;
    for (const Artist& artist : m_artists) {
        if (list.size() >= limit) {
            break;
        }
        if (!term.empty() && folded(artist.name).find(term) != std::string::npos) {
            list.push_back(artistJson(artist.name, artist.genre, id));
        }
        ++id;
    }
    return javascript({{"resultCount", list.size()}, {"results", list}});
}

std::optional<ScriptedResponse> FakeITunesServer::handleAdmin(const RecordedRequest& request) {
    if (request.path != "/_fake/itunes/artist" || request.method != "POST") {
        return std::nullopt;
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("name") || !body["name"].is_string()) {
        return ScriptedResponse::json(400, {{"error", "needs a name"}});
    }
    std::optional<std::string> genre;
    if (body.contains("genre") && body["genre"].is_string()) {
        genre = body["genre"].get<std::string>();
    }
    addArtist(body["name"].get<std::string>(), genre);
    return ScriptedResponse::json(200, {{"ok", true}});
}

} // namespace nimbrel::testing
