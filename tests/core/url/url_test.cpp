#include "core/url/url.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Url, QueryItemsAreDecodedInOrderWithMissingValues) {
    const auto url = Url::parse("nimbrel://auth?error=&state=a%2Bb&flag&error=access_denied&sp=a+b");
    ASSERT_TRUE(url);
    const std::vector<UrlQueryItem> expected = {
        {"error", ""}, {"state", "a+b"}, {"flag", std::nullopt}, {"error", "access_denied"}, {"sp", "a+b"}};
    EXPECT_EQ(url->queryItems(), expected);
    EXPECT_FALSE(Url::parse("nimbrel://auth")->queryItems());
}

TEST(Url, BuildsQueryThatRoundTripsAnyText) {
    const std::string term = "Florence + the Machine & Co = 100% Beyonc\xC3\xA9 / ?#";
    const Url url = Url::parse("https://itunes.apple.com/search")->withQueryItems({{"term", term}, {"limit", "5"}});
    EXPECT_EQ(url.text(),
              "https://itunes.apple.com/search?term=Florence%20%2B%20the%20Machine%20%26%20Co%20%3D%20100%25"
              "%20Beyonc%C3%A9%20%2F%20%3F%23&limit=5");
    const auto reparsed = Url::parse(url.text());
    ASSERT_TRUE(reparsed);
    EXPECT_EQ(reparsed->queryItems()->front().value, term);
}

TEST(Url, ValidReferencesReadBackAsWritten) {
    struct Case {
        const char* text;
        const char* scheme;
        std::optional<std::string> host;
        const char* path;
    };
    for (const Case& c : {
             Case{"https://user:pw@Example.COM:8443/a/b%20c?x=1&y#frag", "https", "Example.COM", "/a/b%20c"},
             Case{"", "", std::nullopt, ""},
             Case{"?", "", std::nullopt, ""},
             Case{"#", "", std::nullopt, ""},
             Case{"//host/p", "", "host", "/p"},
             Case{"./a:b", "", std::nullopt, "./a:b"},
             Case{"x:?a=b?c/d:@", "x", std::nullopt, ""},
             Case{"http://%41b@%62c/%7E", "http", "bc", "/%7E"},
             Case{"http://[v1.x]/", "http", "[v1.x]", "/"},
             Case{"mailto:a@b", "mailto", std::nullopt, "a@b"},
             Case{"h://x#f/?:@", "h", "x", ""},
             Case{"NIMBREL://AUTH?state=abc", "NIMBREL", "AUTH", ""},
             Case{"nimbrel:auth?state=x", "nimbrel", std::nullopt, "auth"},
             Case{"file:///tmp/x", "file", "", "/tmp/x"},
             Case{"http://[::1]:8080/?", "http", "[::1]", "/"},
         }) {
        const std::optional<Url> url = Url::parse(c.text);
        ASSERT_TRUE(url) << c.text;
        EXPECT_EQ(url->scheme(), c.scheme) << c.text;
        EXPECT_EQ(url->host(), c.host) << c.text;
        EXPECT_EQ(url->path(), c.path) << c.text;
        EXPECT_EQ(url->text(), c.text);
        EXPECT_EQ(Url::parse(url->text()), url) << c.text;
    }
}

// A port is a number from 0 to 65535; anything larger names no port rather than a wrapped one.
TEST(Url, PortsOutOfRangeOrEmptyAreNone) {
    struct Case {
        const char* text;
        std::optional<int> port;
    };
    EXPECT_EQ(Url::parse("https://h:8443/a?x=1&y#frag")->query(), "x=1&y");
    for (const Case& c : {Case{"http://h:0/", 0}, Case{"http://h:0080", 80}, Case{"http://h:65535", 65535},
                          Case{"http://h:65536", std::nullopt}, Case{"http://h:/", std::nullopt},
                          Case{"http://[::1]:", std::nullopt}, Case{"http://h:99999999999999999999/", std::nullopt}}) {
        const std::optional<Url> url = Url::parse(c.text);
        ASSERT_TRUE(url) << c.text;
        EXPECT_EQ(url->port(), c.port) << c.text;
    }
}

TEST(Url, PercentEncodingRoundTripsEveryByte) {
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte.push_back(static_cast<char>(byte));
    }
    const std::string encoded = Url::percentEncode(everyByte);
    EXPECT_EQ(Url::percentDecode(encoded), everyByte);
    EXPECT_TRUE(Url::parse("x:?" + encoded));
    EXPECT_EQ(Url::percentEncode(std::string("\0\xFF", 2)), "%00%FF");
    EXPECT_EQ(Url::percentEncode("a/b:c", "/"), "a/b%3Ac");
    EXPECT_EQ(Url::percentDecode("%4a%4A+%2f"), "JJ+/");
    EXPECT_EQ(Url::percentEncode("a-b_c.d~e f"), "a-b_c.d~e%20f");
    for (const char* malformed : {"%", "%4", "a%", "%%41", "%4%41", "%g0"}) {
        EXPECT_FALSE(Url::percentDecode(malformed)) << malformed;
    }
}

TEST(Url, AppendingPathComponentsEscapesAndKeepsTheOtherComponents) {
    const char* const cases[][3] = {
        {"https://auth.example.com", "slack/start", "https://auth.example.com/slack/start"},
        {"https://auth.example.com/", "slack/start", "https://auth.example.com/slack/start"},
        {"https://auth.example.com/api/?old=1", "slack/start", "https://auth.example.com/api/slack/start?old=1"},
        {"https://h", "a b/c?", "https://h/a%20b/c%3F"},
        {"https://h/x?q=1#f", "a//b/", "https://h/x/a/b?q=1#f"},
        {"https://h/x?q=1#f", "", "https://h/x?q=1#f"},
        {"https://h/x?q=1#f", "100%", "https://h/x/100%25?q=1#f"},
    };
    for (const auto& [base, component, expected] : cases) {
        EXPECT_EQ(Url::parse(base)->appendingPathComponents(component).text(), expected) << base << " " << component;
    }
}

TEST(Url, BuildingAQueryKeepsTheOtherComponents) {
    const Url url = *Url::parse("https://h/x?q=1#f");
    EXPECT_EQ(url.withQueryItems({{"a", std::nullopt}, {"", ""}}).text(), "https://h/x?a&=#f");
    const auto separators = Url::parse("x:?&&a&");
    EXPECT_EQ(separators->queryItems()->size(), 4u);
    EXPECT_EQ(separators->withQueryItems(*separators->queryItems()).text(), "x:?&&a&");
    const Url emptied = url.withQueryItems({});
    EXPECT_EQ(emptied.text(), "https://h/x?#f");
    ASSERT_TRUE(emptied.queryItems());
    EXPECT_TRUE(emptied.queryItems()->empty());
}

} // namespace
} // namespace nimbrel
