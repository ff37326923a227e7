#pragma once

#include <functional>
#include <string_view>

#include "app/log/log_level.h"

namespace nimbrel {

/// Where the storage layer and the commands report what they did. The desktop program routes it into its
/// application log; the command-line tools print it; tests collect it. An empty sink drops every line.
using LogSink = std::function<void(LogLevel level, std::string_view line)>;

/// A sink that writes every line to the installed application log.
LogSink appLogSink();

} // namespace nimbrel
