#pragma once

#include <string>
#include <string_view>

namespace nimbrel::cli {

/// Text from files and the command line on its way to a terminal. A control character in a hand-edited
/// or hostile file (an escape sequence, a carriage return) could otherwise rewrite what the user sees.
struct TerminalText final {
    TerminalText() = delete;

    /// `text` with every control character except line feed and tab — C0, DEL and C1 — written as
    /// `\u00XX`. The escape is JSON's own, so JSON output stays valid JSON with the same meaning.
    static std::string printable(std::string_view text);
};

} // namespace nimbrel::cli
