#include "core/url/url.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Url, SplitsComponents) {
    const auto url = Url::parse("https://user:pw@Example.COM:8443/a/b%20c?x=1&y#frag");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_EQ(url->host(), "Example.COM");
    EXPECT_EQ(url->port(), 8443);
    EXPECT_EQ(url->path(), "/a/b%20c");
    EXPECT_EQ(url->query(), "x=1&y");
    EXPECT_EQ(url->text(), "https://user:pw@Example.COM:8443/a/b%20c?x=1&y#frag");
}

TEST(Url, CustomSchemeWithHostAndNoPath) {
    const auto url = Url::parse("NIMBREL://AUTH?state=abc");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "NIMBREL");
    EXPECT_EQ(url->host(), "AUTH");
    EXPECT_EQ(url->path(), "");
}

TEST(Url, AddressesWithoutAuthorityHaveNoHost) {
    const auto url = Url::parse("nimbrel:auth?state=x");
    ASSERT_TRUE(url);
    EXPECT_FALSE(url->host());
    EXPECT_EQ(url->path(), "auth");
    EXPECT_EQ(Url::parse("file:///tmp/x")->host(), "");
}

TEST(Url, RejectsWhatCannotBeSplit) {
    for (const char* text :
         {"https://exa mple.com", "nimbrel://auth?state=%zz", "nimbrel://auth?x=%4", "1http://x", "http://host:80a/",
          "http://[::1/", "https://h/\xC3\xA9", "nimbrel://auth?q=a b", "http://x/#a#b"}) {
        EXPECT_FALSE(Url::parse(text)) << text;
    }
}

TEST(Url, AcceptsIpLiteralAndEmptyQuery) {
    const auto url = Url::parse("http://[::1]:8080/?");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host(), "[::1]");
    EXPECT_EQ(url->port(), 8080);
    ASSERT_TRUE(url->queryItems());
    EXPECT_TRUE(url->queryItems()->empty());
}

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

TEST(Url, EmptyItemsKeepTheirSeparators) {
    const auto url = Url::parse("x:?&&a&");
    ASSERT_TRUE(url);
    const Url rebuilt = url->withQueryItems(*url->queryItems());
    EXPECT_EQ(rebuilt.text(), "x:?&&a&");
    EXPECT_EQ(url->queryItems()->size(), 4u);
}

TEST(Url, AppendsPathComponents) {
    struct Case {
        const char* base;
        const char* expected;
    };
    for (const Case& c :
         {Case{"https://auth.example.com", "https://auth.example.com/slack/start"},
          Case{"https://auth.example.com/", "https://auth.example.com/slack/start"},
          Case{"https://auth.example.com/api", "https://auth.example.com/api/slack/start"},
          Case{"https://auth.example.com/api/?old=1", "https://auth.example.com/api/slack/start?old=1"}}) {
        EXPECT_EQ(Url::parse(c.base)->appendingPathComponents("slack/start").text(), c.expected) << c.base;
    }
    EXPECT_EQ(Url::parse("https://h")->appendingPathComponents("a b/c?").text(), "https://h/a%20b/c%3F");
}

TEST(Url, PercentDecodeRejectsMalformedEscapes) {
    EXPECT_EQ(Url::percentDecode("a%20b%2f"), "a b/");
    EXPECT_FALSE(Url::percentDecode("%"));
    EXPECT_FALSE(Url::percentDecode("%g0"));
    EXPECT_EQ(Url::percentEncode("a-b_c.d~e f"), "a-b_c.d~e%20f");
}

TEST(Url, ValidReferencesReadBackAsWritten) {
    struct Case {
        const char* text;
        const char* scheme;
        std::optional<std::string> host;
        const char* path;
    };
    for (const Case& c : {
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

TEST(Url, RejectsMalformedAuthoritiesAndEscapes) {
    for (const char* text : {"http://a@b@c/", "http://a%2/", "http://a%/", "http://[::1]x/", "http://h:-1/",
                             "http://h:+1/", "http://h:1:2/", "http://h\\x/", "x:%", "x:a%4", "x:?%", "x:#%0g",
                             "http://a{b}/", "x:\x7F", "x:\n", "a b:c"}) {
        EXPECT_FALSE(Url::parse(text)) << text;
    }
}

// A port is a number from 0 to 65535; anything larger names no port rather than a wrapped one.
TEST(Url, PortsOutOfRangeOrEmptyAreNone) {
    struct Case {
        const char* text;
        std::optional<int> port;
    };
    for (const Case& c :
         {Case{"http://h:0/", 0}, Case{"http://h:0080", 80}, Case{"http://h:65535", 65535},
          Case{"http://h:65536", std::nullopt}, Case{"http://h:/", std::nullopt}, Case{"http://h", std::nullopt},
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
    EXPECT_EQ(Url::percentDecode("%4a%4A+"), "JJ+");
    for (const char* malformed : {"%", "%4", "a%", "%%41", "%4%41"}) {
        EXPECT_FALSE(Url::percentDecode(malformed)) << malformed;
    }
}

TEST(Url, BuildingKeepsTheOtherComponents) {
    const Url url = *Url::parse("https://h/x?q=1#f");
    EXPECT_EQ(url.appendingPathComponents("a//b/").text(), "https://h/x/a/b?q=1#f");
    EXPECT_EQ(url.appendingPathComponents("").text(), url.text());
    EXPECT_EQ(url.appendingPathComponents("100%").text(), "https://h/x/100%25?q=1#f");
    EXPECT_EQ(url.withQueryItems({{"a", std::nullopt}, {"", ""}}).text(), "https://h/x?a&=#f");
    const Url emptied = url.withQueryItems({});
    EXPECT_EQ(emptied.text(), "https://h/x?#f");
    ASSERT_TRUE(emptied.queryItems());
    EXPECT_TRUE(emptied.queryItems()->empty());
}

} // namespace
} // namespace nimbrel
