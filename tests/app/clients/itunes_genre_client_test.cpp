#include "app/clients/itunes_genre_client.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/clients/client_test_support.h"
#include "tests/support/fake_itunes/fake_itunes_server.h"
#include "tests/support/keyring_test_support.h"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;
using testing::FakeITunesServer;
using testing::ScriptedResponse;

class ITunesGenreClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(server.start(), 0);
        server.addArtist("Jack Johnson", "Rock");
        server.addArtist("The Beatles", "Pop");
        client = makeClient();
    }
    std::unique_ptr<ITunesGenreClient> makeClient() {
        return std::make_unique<ITunesGenreClient>(
            ITunesGenreClient::Options{.session = std::make_shared<HttpSession>(HttpSession::iTunesOptions(), timers),
                                       .timers = timers,
                                       .cacheFolder = AppFolder(folder.path()),
                                       .baseURL = testing::url(server.baseURL()),
                                       .version = QStringLiteral("1.2")});
    }
    std::vector<GenreTag> lookUp(const std::string& artist) { return QCoro::waitFor(client->genres(artist)); }

    FakeITunesServer server;
    testing::CapturedLog log;
    testing::TemporaryFolder folder;
    std::shared_ptr<testing::ManualTimers> timers = std::make_shared<testing::ManualTimers>();
    std::unique_ptr<ITunesGenreClient> client;
};

const std::vector<GenreTag> kRock = {GenreTag{"Rock", std::nullopt}};

TEST_F(ITunesGenreClientTest, AsksOnceAndThenAnswersFromTheCache) {
    EXPECT_EQ(lookUp("  Jack Johnson \n"), kRock);
    EXPECT_EQ(lookUp("jack johnson"), kRock);
    ASSERT_EQ(server.requestCount(), 1u);
    const testing::RecordedRequest sent = server.requests().front();
    EXPECT_EQ(sent.path, "/search");
    EXPECT_EQ(sent.param("term") + "|" + sent.param("entity") + "|" + sent.param("limit"),
              "Jack Johnson|musicArtist|5");
    EXPECT_EQ(sent.header("User-Agent"), "Nimbrel/1.2 (Linux; +https://github.com/quillmoor/nimbrel)");
    EXPECT_EQ(lookUp(" \t"), std::vector<GenreTag>{});
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(client->observedGenres(), std::vector<std::string>{"Rock"});

    // A miss is remembered for six hours.
    EXPECT_TRUE(lookUp("Nobody Known").empty());
    EXPECT_TRUE(lookUp("Nobody Known").empty());
    EXPECT_EQ(server.requestCount(), 2u);
    timers->advance(6h);
    EXPECT_TRUE(lookUp("Nobody Known").empty());
    EXPECT_EQ(server.requestCount(), 3u);
}

TEST_F(ITunesGenreClientTest, TheTwentyFirstSearchInAMinuteIsSkipped) {
    EXPECT_EQ(lookUp("Jack Johnson"), kRock);
    for (int i = 1; i < 20; ++i) {
        lookUp("Unknown " + std::to_string(i));
    }
    ASSERT_EQ(server.requestCount(), 20u);
    EXPECT_TRUE(lookUp("The Beatles").empty());
    EXPECT_EQ(server.requestCount(), 20u);
    EXPECT_EQ(lookUp("Jack Johnson"), kRock); // the cache still answers
    timers->advance(60s);
    EXPECT_EQ(lookUp("The Beatles"), (std::vector<GenreTag>{{"Pop", std::nullopt}}));
}

TEST_F(ITunesGenreClientTest, FailuresLeaveTheArtistUnknownAndUndecodableAnswersAreMisses) {
    const std::pair<ScriptedResponse, std::string> failures[] = {
        {testing::status(503), "genres: iTunes returned HTTP 503 for Jack Johnson"},
        {testing::status(403), "genres: iTunes returned HTTP 403 for Jack Johnson"},
        {testing::cutShort(FakeITunesServer::results({{"Jack Johnson", "Rock"}})),
         "genres: iTunes lookup failed for Jack Johnson \u2014 "},
        {ScriptedResponse::text(200, std::string(2u << 20, ' ')),
         "genres: iTunes lookup failed for Jack Johnson \u2014 The server\u2019s answer was larger than 1 MiB."},
    };
    for (const auto& [answer, logged] : failures) {
        server.script("/search", answer);
        EXPECT_TRUE(lookUp("Jack Johnson").empty());
        EXPECT_TRUE(log.messages().back().starts_with(logged)) << log.messages().back();
        EXPECT_EQ(client->cache().entries.size(), 0u);
        EXPECT_EQ(timers->pending(TimerPurpose::delayedSave), 0u);
    }
    EXPECT_EQ(server.requestCount(), 4u);
    EXPECT_EQ(lookUp("Jack Johnson"), kRock); // asked again, and answered

    for (const char* body : {"not json", R"({"results": [{"artistName": 5}]})", R"({"resultCount": 1, "resul)"}) {
        server.script("/search", ScriptedResponse::text(200, body, "text/javascript; charset=utf-8"));
        EXPECT_TRUE(lookUp(std::string("Artist ") + body).empty()) << body;
    }
    EXPECT_EQ(client->cache().entries.size(), 4u);
    for (const auto& [key, entry] : client->cache().entries) {
        EXPECT_EQ(entry.genre.has_value(), key == GenreCache::key("Jack Johnson")) << key;
    }
}

TEST_F(ITunesGenreClientTest, TheCacheIsSavedOnceFiveSecondsAfterTheLastChange) {
    const auto file = folder / "genre-cache.json";
    for (int i = 0; i < 10; ++i) {
        server.addArtist("Band " + std::to_string(i), "Jazz");
        lookUp("Band " + std::to_string(i));
        timers->advance(1s);
    }
    EXPECT_EQ(timers->pending(TimerPurpose::delayedSave), 1u);
    timers->advance(3999ms);
    EXPECT_FALSE(std::filesystem::exists(file));
    timers->advance(1ms);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(GenreCache::decode(testing::readBytes(file)).entries.size(), 10u);
    lookUp("Band 3"); // from the cache: nothing to save
    EXPECT_EQ(timers->pending(TimerPurpose::delayedSave), 0u);

    // A new client loads the saved cache and asks nobody; a save still pending dies with its client.
    client = makeClient();
    const std::size_t before = server.requestCount();
    EXPECT_EQ(lookUp("Band 7"), (std::vector<GenreTag>{{"Jazz", std::nullopt}}));
    EXPECT_EQ(server.requestCount(), before);
    std::filesystem::remove(file);
    lookUp("Jack Johnson");
    EXPECT_EQ(timers->pending(TimerPurpose::delayedSave), 1u);
    client.reset();
    EXPECT_EQ(timers->pending(TimerPurpose::delayedSave), 0u);
    timers->advance(10s);
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
} // namespace nimbrel
