#include "core/json/decode_error.h"

#include <utility>

namespace nimbrel {
namespace {

std::string describe(const std::string& location, const std::string& reason) {
    return location.empty() ? reason : location + ": " + reason;
}

} // namespace

DecodeError::DecodeError(std::string location, std::string reason)
    : std::runtime_error(describe(location, reason))
    , m_location(std::move(location))
    , m_reason(std::move(reason)) {}

} // namespace nimbrel
