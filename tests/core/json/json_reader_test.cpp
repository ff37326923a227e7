#include "core/json/json_reader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"
#include "core/genres/genre_cache.h"
#include "core/ownership/app_state.h"
#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

using testing::decodeFailure;

DecodeError parseFailure(std::string_view document) {
    return decodeFailure([&] { parseJsonDocument(document); });
}

std::string nested(std::size_t depth, std::string_view inner = "") {
    return std::string(depth, '[') + std::string(inner) + std::string(depth, ']');
}

TEST(JsonReader, SyntaxErrorsAreLocatedByLineAndCharacterColumn) {
    const std::pair<const char*, const char*> cases[] = {{"{\"a\": 1,\n  \"b\": tru\n}", "line 2, column 11"},
                                                         {"{\n\"caf\u00E9\u00E9\": x}", "line 2, column 10"},
                                                         {"[1, 2", "line 1, column 6"},
                                                         {"{\"a\": \"\xFF\"}", "line 1, column 8"},
                                                         {"", "line 1, column 1"}};
    for (const auto& [document, location] : cases) {
        EXPECT_EQ(parseFailure(document).location(), location) << document;
    }
    EXPECT_EQ(parseFailure("  \n ").reason(), "the document is empty");
    EXPECT_NE(parseFailure("{\"a\" 1}").reason().find("not valid JSON"), std::string::npos);
}

TEST(JsonReader, NumberOverflowAndBadUtf8AreDecodeErrorsNotLibraryExceptions) {
    EXPECT_NE(parseFailure("{\"a\": 9e5199}").reason().find("number overflow"), std::string::npos);
    EXPECT_EQ(parseFailure("{\n  \"poll_seconds\": 1e999\n}").location(), "line 2, column 19");
    EXPECT_EQ(parseFailure("[-1e400]").location(), "line 1, column 2");
    EXPECT_NE(parseFailure("{\"a\": \"\xFF\"}").reason().find("not valid JSON"), std::string::npos);
}

TEST(JsonReader, NestingIsLimitedAndLocatedAtTheBracketThatGoesTooDeep) {
    EXPECT_NO_THROW(parseJsonDocument(nested(kMaxJsonDepth)));
    // Brackets inside strings, escaped quotes included, are text and do not nest.
    EXPECT_NO_THROW(parseJsonDocument(nested(kMaxJsonDepth, R"("\"[[[{{{")")));
    const DecodeError error = parseFailure("\n " + nested(kMaxJsonDepth + 1));
    EXPECT_EQ(error.location(), "line 2, column " + std::to_string(kMaxJsonDepth + 2));
    EXPECT_EQ(error.reason(), "lists and objects nest more than 128 levels deep");
}

// A document 100,000 levels deep under a key every decoder reads, or one only a notice would format,
// is a decode error for all three files, never a crash.
TEST(JsonReader, EveryFileRefusesADocumentNestedAHundredThousandLevelsDeep) {
    const std::string deep = nested(100'000);
    const std::string config = R"({"when_music_stops":"restore","clear_when_paused":)" + deep + "}";
    const std::string appendArtist = R"({"status_format":"{vibe}","append_artist":)" + deep + "}";
    const auto refusesNesting = [](auto&& decode) {
        return decodeFailure(decode).reason().find("nest") != std::string::npos;
    };
    std::vector<ConfigNotice> notices;
    for (const std::string& document : {config, appendArtist}) {
        EXPECT_TRUE(refusesNesting([&] { VibeConfig::decode(document); }));
        EXPECT_TRUE(refusesNesting([&] { VibeConfig::decode(document, notices); }));
    }
    EXPECT_TRUE(refusesNesting([&] { AppState::decode(R"({"workspaces":{"T1":)" + deep + "}}"); }));
    EXPECT_TRUE(refusesNesting([&] { GenreCache::decode(R"({"entries":)" + deep + "}"); }));
}

TEST(JsonReader, StrictTypesWithKeyPaths) {
    const nlohmann::json document = nlohmann::json::parse(
        R"({"s": "t", "n": null, "i": 7, "whole": 120.0, "exponent": 1e3, "f": 7.5, "huge": 1e300, "b": true, "big": 18446744073709551615, "l": [1]})");
    const JsonObjectReader reader(document, JsonPath().key("vibes").index(2));
    EXPECT_EQ(reader.requiredString("s"), "t");
    EXPECT_EQ(reader.optionalString("n"), std::nullopt);
    EXPECT_EQ(reader.optionalInt("i"), 7);
    EXPECT_EQ(reader.optionalInt("whole"), 120);
    EXPECT_EQ(reader.optionalInt("exponent"), 1000);
    EXPECT_EQ(reader.optionalBool("b"), true);
    EXPECT_NE(reader.optionalArray("l"), nullptr);

    const struct {
        std::function<void()> read;
        const char* location;
        const char* reason;
    } failures[] = {
        {[&] { reader.requiredString("absent"); }, "vibes[2].absent", "required text is missing"},
        {[&] { reader.requiredString("n"); }, "vibes[2].n", "expected text, found null"},
        {[&] { reader.optionalString("i"); }, "vibes[2].i", "expected text, found a whole number"},
        {[&] { reader.optionalInt("f"); }, "vibes[2].f", "expected a whole number, found a number with a fraction"},
        {[&] { reader.optionalInt("big"); }, "vibes[2].big", "the number is too large"},
        {[&] { reader.optionalInt("huge"); }, "vibes[2].huge", "the number is too large"},
        {[&] { reader.optionalBool("s"); }, "vibes[2].s", "expected true or false, found a string"},
        {[&] { JsonObjectReader(document["l"], JsonPath().index(0).key("a")); }, "[0].a",
         "expected an object, found a list"},
    };
    for (const auto& failure : failures) {
        const DecodeError error = decodeFailure(failure.read);
        EXPECT_EQ(error.location(), failure.location);
        EXPECT_EQ(error.reason(), failure.reason);
        EXPECT_EQ(std::string(error.what()), std::string(failure.location) + ": " + failure.reason);
    }
}

} // namespace
} // namespace nimbrel
