#pragma once

namespace nimbrel {

/// The three levels of the application log, in increasing severity.
enum class LogLevel { debug, info, error };

} // namespace nimbrel
