#include "core/rendering/status_text.h"

#include "core/text/graphemes.h"

namespace nimbrel {

std::string StatusText::clamp(std::string_view text, int limit) {
    if (limit < 1) {
        return {};
    }
    const auto n = static_cast<std::size_t>(limit);
    if (Graphemes::count(text) <= n) {
        return std::string(text);
    }
    std::string clamped(Graphemes::prefix(text, n - 1));
    clamped.append(kEllipsis);
    return clamped;
}

} // namespace nimbrel
