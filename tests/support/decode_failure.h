#pragma once

#include <string>

#include <gtest/gtest.h>

#include "core/json/decode_error.h"

namespace nimbrel::testing {

/// The DecodeError `decode` throws; a test failure, and an empty error, when it throws none.
template <typename Decode>
DecodeError decodeFailure(Decode&& decode) {
    try {
        decode();
    } catch (const DecodeError& error) {
        return error;
    }
    ADD_FAILURE() << "decoded without an error";
    return DecodeError("", "");
}

/// Expects `decode` to fail at `location` (a key path or "line L, column C") for `reason`.
template <typename Decode>
void expectDecodeError(Decode&& decode, const std::string& location, const std::string& reason) {
    const DecodeError error = decodeFailure(decode);
    EXPECT_EQ(error.location(), location);
    EXPECT_EQ(error.reason(), reason);
}

} // namespace nimbrel::testing
