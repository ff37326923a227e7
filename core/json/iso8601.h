#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Instants as the JSON documents store them: an internet date-time to the second, "2025-03-14T09:26:53Z".
/// Reading also accepts a numeric offset ("+01:00"), which is what other tools write when a user edits a
/// date by hand.
struct NIMBREL_CORE_EXPORT Iso8601 final {
    Iso8601() = delete;

    /// The instant written in `text`, or none when it is not a full date and time with a zone. Fractions of
    /// a second are not part of the form and make the text unreadable.
    static std::optional<std::chrono::sys_seconds> parse(std::string_view text);
    /// The instant in UTC: full date, "T", time to the second, "Z".
    static std::string format(std::chrono::sys_seconds instant);
};

} // namespace nimbrel
