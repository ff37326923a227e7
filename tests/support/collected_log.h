#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/log/log_sink.h"

namespace nimbrel::testing {

/// Collects the lines a component logs, so tests can assert them.
struct CollectedLog {
    std::vector<std::pair<LogLevel, std::string>> lines;

    LogSink sink() {
        return [this](LogLevel level, std::string_view line) {
            lines.emplace_back(level, std::string(line));
        };
    }
};

} // namespace nimbrel::testing
