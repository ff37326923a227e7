#include "app/cli/terminal_text.h"

#include <array>

namespace nimbrel::cli {
namespace {

void appendEscape(std::string& out, unsigned code) {
    constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                           '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    out += "\\u00";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
}

} // namespace

std::string TerminalText::printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F) {
            appendEscape(out, byte);
        } else if (byte == 0xC2 && index + 1 < text.size() && static_cast<unsigned char>(text[index + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[index + 1]) <= 0x9F) {
            // U+0080 to U+009F, the C1 controls, in UTF-8.
            appendEscape(out, static_cast<unsigned char>(text[++index]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

} // namespace nimbrel::cli
