#include "core/genres/itunes_search.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

TEST(ITunesSearchURL, TrimsTheArtistAndSetsThreeItemsInOrder) {
    const std::optional<Url> url = ITunesSearch::searchURL(" Ames Brook ", ITunesSearch::resultLimit);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->text(), "https://itunes.apple.com/search?term=Ames%20Brook&entity=musicArtist&limit=5");
    EXPECT_EQ(url->queryItems(),
              (std::vector<UrlQueryItem>{{"term", "Ames Brook"}, {"entity", "musicArtist"}, {"limit", "5"}}));
}

TEST(ITunesSearchURL, BlankArtistGivesNoAddress) {
    for (const char* artist : {"", "   ", "\t\n", "\u00A0\u2003"}) {
        EXPECT_EQ(ITunesSearch::searchURL(artist), std::nullopt) << "[" << artist << "]";
    }
}

TEST(ITunesSearchURL, ServiceReceivesTheArtistUnchanged) {
    const std::vector<std::string> artists = {
        "Ames & Brook", "C+C Music Factory",        "a=b", "50% Off", "Caf\u00E9 Orbit", "AC/DC", "Who?",
        "#1 Hits",      "\u6771\u4EAC\u4E8B\u5909",
    };
    for (const std::string& artist : artists) {
        const std::optional<Url> url = ITunesSearch::searchURL(artist);
        ASSERT_TRUE(url) << artist;
        // What a server sees after splitting the query and decoding it.
        const std::optional<Url> reparsed = Url::parse(url->text());
        ASSERT_TRUE(reparsed) << url->text();
        const auto items = reparsed->queryItems();
        ASSERT_TRUE(items) << url->text();
        ASSERT_EQ(items->size(), 3u) << url->text();
        EXPECT_EQ((*items)[0], (UrlQueryItem{"term", artist})) << url->text();
    }
    EXPECT_EQ(ITunesSearch::searchURL("C+C & Co")->query(), "term=C%2BC%20%26%20Co&entity=musicArtist&limit=5");
}

TEST(ITunesSearchURL, TakesTheCallersBaseAndLimit) {
    const std::optional<Url> base = Url::parse("http://127.0.0.1:8765");
    ASSERT_TRUE(base);
    EXPECT_EQ(ITunesSearch::searchURL("X", 2, *base)->text(),
              "http://127.0.0.1:8765/search?term=X&entity=musicArtist&limit=2");
    const std::optional<Url> withPath = Url::parse("http://127.0.0.1:8765/fake/itunes/");
    ASSERT_TRUE(withPath);
    EXPECT_EQ(ITunesSearch::searchURL("X", 5, *withPath)->path(), "/fake/itunes/search");
}

TEST(ITunesSearchArtists, DecodesTheFieldsItUses) {
    const std::string body =
        R"({"resultCount":2,"results":[{"wrapperType":"artist","artistType":"Artist","artistName":"Jack Johnson",)"
        R"("artistLinkUrl":"https://music.apple.com/x","artistId":909253,"amgArtistId":468749,)"
        R"("primaryGenreName":"Rock","primaryGenreId":21},{"artistName":"No Genre"}]})";
    EXPECT_EQ(ITunesSearch::artists(body),
              (std::vector<ITunesArtist>{{"Jack Johnson", "Rock", 909253}, {"No Genre", std::nullopt, std::nullopt}}));
    for (const char* empty : {"{}", R"({"resultCount":0,"results":[]})", R"({"results":null})"}) {
        EXPECT_TRUE(ITunesSearch::artists(empty).empty()) << empty;
    }
}

TEST(ITunesSearchArtists, MalformedAnswersFailWithALocation) {
    struct Case {
        std::string body;
        std::string location;
    };
    const std::vector<Case> cases = {
        {R"({"results":[{"artistName":"A"},{"primaryGenreName":"Rock"}]})", "results[1].artistName"},
        {R"({"results":[{"artistName":42}]})", "results[0].artistName"},
        {R"({"results":[{"artistName":"A","primaryGenreName":7}]})", "results[0].primaryGenreName"},
        {R"({"results":[{"artistName":"A","artistId":"x"}]})", "results[0].artistId"},
        {R"({"results":["A"]})", "results[0]"},
        {R"({"results":{}})", "results"},
        {R"([])", ""},
        {"", "line 1, column 1"},
        {"<html>403</html>", "line 1, column 1"},
    };
    for (const Case& c : cases) {
        const DecodeError error = testing::decodeFailure([&] { ITunesSearch::artists(c.body); });
        EXPECT_EQ(error.location(), c.location) << c.body;
        EXPECT_FALSE(error.reason().empty()) << c.body;
        // The body form never throws: a bad answer is a miss.
        EXPECT_EQ(ITunesSearch::genre(c.body, "A"), std::nullopt) << c.body;
    }
}

TEST(ITunesSearchGenre, PicksTheFirstMatchingResultWithAGenre) {
    struct Case {
        std::string name;
        std::vector<ITunesArtist> results;
        std::string artist;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"leading the ignored", {{"The Lanterns", "Rock", 1}, {"Lanterns", "Pop", 2}}, "Lanterns", "Rock"},
        {"missing genre skipped", {{"Ames", std::nullopt, 1}, {"Ames", "Jazz", 2}}, "Ames", "Jazz"},
        {"blank genre skipped", {{"Ames", " \n", 1}, {"AMES", " Jazz ", 2}}, "ames", "Jazz"},
        {"other artists skipped", {{"Amesbury", "Folk", 1}, {"Ames & Brook", "Soul", 2}}, "Ames and Brook", "Soul"},
        {"no match", {{"Someone", "Rock", 1}}, "Ames", std::nullopt},
        {"blank artist asked for", {{"", "Rock", 1}, {" ", "Pop", 2}}, "  ", std::nullopt},
        {"accents folded", {{"Caf\u00E9 Orbit", "Electronic", 1}}, "cafe orbit", "Electronic"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ITunesSearch::genre(c.results, c.artist), c.expected) << c.name;
    }
}

TEST(ITunesSearchGenre, BodyFormDecodesFirst) {
    const std::string body = R"({"results":[{"artistName":"The Lanterns","primaryGenreName":" Rock\n"},)"
                             R"({"artistName":"Lanterns","primaryGenreName":"Pop"}]})";
    EXPECT_EQ(ITunesSearch::genre(body, "Lanterns"), "Rock");
    EXPECT_EQ(ITunesSearch::genre(body, "Other"), std::nullopt);
}

} // namespace
} // namespace nimbrel
