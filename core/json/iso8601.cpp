#include "core/json/iso8601.h"

#include <cstdio>

namespace nimbrel {
namespace {

// Reads exactly `width` ASCII digits at `offset`; ICU's lenient parsing would take more, but the stored
// form has fixed widths and anything else is a hand edit we should not guess at.
std::optional<int> digits(std::string_view text, std::size_t offset, std::size_t width) {
    if (offset + width > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t index = offset; index < offset + width; ++index) {
        const char character = text[index];
        if (character < '0' || character > '9') {
            return std::nullopt;
        }
        value = value * 10 + (character - '0');
    }
    return value;
}

bool hasCharacter(std::string_view text, std::size_t offset, char expected) {
    return offset < text.size() && text[offset] == expected;
}

} // namespace

std::optional<std::chrono::sys_seconds> Iso8601::parse(std::string_view text) {
    using namespace std::chrono;

    // yyyy-MM-ddTHH:mm:ss is 19 characters; the zone follows.
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !hasCharacter(text, 4, '-') ||
        !hasCharacter(text, 7, '-') || !hasCharacter(text, 10, 'T') || !hasCharacter(text, 13, ':') ||
        !hasCharacter(text, 16, ':')) {
        return std::nullopt;
    }
    const year_month_day date{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                              std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }

    const std::string_view zone = text.substr(19);
    int offsetMinutes = 0;
    if (zone != "Z") {
        // "+hh:mm" or "+hhmm".
        if (zone.size() != 6 && zone.size() != 5) {
            return std::nullopt;
        }
        const char sign = zone[0];
        const bool hasColon = zone.size() == 6;
        const auto zoneHours = digits(zone, 1, 2);
        const auto zoneMinutes = digits(zone, hasColon ? 4 : 3, 2);
        if ((sign != '+' && sign != '-') || (hasColon && zone[3] != ':') || !zoneHours || !zoneMinutes ||
            *zoneHours > 23 || *zoneMinutes > 59) {
            return std::nullopt;
        }
        offsetMinutes = (sign == '-' ? -1 : 1) * (*zoneHours * 60 + *zoneMinutes);
    }

    const sys_seconds local = sys_days{date} + hours{*hour} + minutes{*minute} + seconds{*second};
    return local - minutes{offsetMinutes};
}

std::string Iso8601::format(std::chrono::sys_seconds instant) {
    using namespace std::chrono;

    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss time{instant - day};
    char buffer[40];
    const int written =
        std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int{date.year()}, unsigned{date.month()},
                      unsigned{date.day()}, static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return std::string(buffer, written > 0 ? static_cast<std::size_t>(written) : 0);
}

} // namespace nimbrel
