#include "core/json/json_reader.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

DecodeError parseFailure(std::string_view bytes) {
    try {
        parseJsonDocument(bytes);
    } catch (const DecodeError& error) {
        return error;
    }
    ADD_FAILURE() << "parsed: " << bytes;
    return DecodeError("", "");
}

TEST(ParseJsonDocument, SyntaxErrorsNameLineAndColumn) {
    const DecodeError error = parseFailure("{\n  \"a\": 1,\n  \"b\": tru\n}");
    EXPECT_EQ(error.location(), "line 3, column 11");
    EXPECT_NE(error.reason().find("not valid JSON"), std::string::npos) << error.reason();
}

TEST(ParseJsonDocument, ColumnsCountCharactersNotBytes) {
    const DecodeError error = parseFailure("{\"\u00E9\u00E9\": x}");
    EXPECT_EQ(error.location(), "line 1, column 8");
}

TEST(ParseJsonDocument, NumbersTooLargeForADoubleAreDecodeErrorsWithAPosition) {
    // nlohmann reports these as out_of_range rather than parse_error; they must not escape as such.
    const DecodeError error = parseFailure("{\n  \"poll_seconds\": 1e999\n}");
    EXPECT_EQ(error.location(), "line 2, column 19");
    EXPECT_NE(error.reason().find("1e999"), std::string::npos) << error.reason();
    EXPECT_EQ(parseFailure("[-1e400]").location(), "line 1, column 2");
    EXPECT_EQ(parseFailure("1e999").location(), "line 1, column 1");
}

TEST(ParseJsonDocument, EmptyDocumentSaysSo) {
    const DecodeError error = parseFailure("  \n ");
    EXPECT_EQ(error.reason(), "the document is empty");
}

} // namespace
} // namespace nimbrel
