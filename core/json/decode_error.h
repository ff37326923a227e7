#pragma once

#include <stdexcept>
#include <string>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Why a JSON document could not be decoded, and where: a key path such as `vibes[2].status_emoji`, or
/// "line 4, column 17" for a syntax error. Users edit these files by hand, so both halves are written for
/// them. The core's decoders throw this and nothing else.
class NIMBREL_CORE_EXPORT DecodeError : public std::runtime_error {
public:
    DecodeError(std::string location, std::string reason);

    /// The key path or the line and column; empty for the document as a whole.
    const std::string& location() const noexcept { return m_location; }
    /// What is wrong there, as a sentence fragment ("expected a string, found a number").
    const std::string& reason() const noexcept { return m_reason; }

private:
    std::string m_location;
    std::string m_reason;
};

} // namespace nimbrel
