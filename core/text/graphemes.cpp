#include "core/text/graphemes.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include "core/text/utf8.h"

namespace nimbrel {
namespace {

// Creating a break iterator loads ICU's rules and costs far more than segmenting a status line, so each
// thread keeps one and only rebinds it to new text.
icu::BreakIterator* characterBreakIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

// Calls `visit(offset)` for every character start, then once more with text.size(). `visit` returns false
// to stop early.
template <typename Visit>
void forEachBoundary(std::string_view text, Visit&& visit) {
    if (!visit(std::size_t{0}) || text.empty()) {
        return;
    }
    // ASCII segments byte by byte, except that CR LF stays together.
    if (Utf8::isAscii(text)) {
        for (std::size_t offset = 1; offset < text.size(); ++offset) {
            if (text[offset - 1] == '\r' && text[offset] == '\n') {
                continue;
            }
            if (!visit(offset)) {
                return;
            }
        }
        visit(text.size());
        return;
    }

    icu::BreakIterator* iterator = characterBreakIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), static_cast<std::int64_t>(text.size()), &status);
    if (iterator == nullptr || U_FAILURE(status)) {
        // ICU's data is part of the library; failing here means a broken installation. Fall back to
        // one character per byte rather than crash.
        for (std::size_t offset = 1; offset <= text.size(); ++offset) {
            if (!visit(offset)) {
                break;
            }
        }
        utext_close(&utext);
        return;
    }
    iterator->setText(&utext, status);
    for (std::int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE; boundary = iterator->next()) {
        if (!visit(static_cast<std::size_t>(boundary))) {
            break;
        }
    }
    // The iterator keeps a shallow reference to the text; it is never read again before the next setText.
    utext_close(&utext);
}

} // namespace

std::size_t Graphemes::count(std::string_view text) {
    std::size_t boundaries = 0;
    forEachBoundary(text, [&](std::size_t) {
        ++boundaries;
        return true;
    });
    return text.empty() ? 0 : boundaries - 1;
}

std::vector<std::size_t> Graphemes::boundaries(std::string_view text) {
    std::vector<std::size_t> offsets;
    offsets.reserve(text.size() + 1);
    forEachBoundary(text, [&](std::size_t offset) {
        offsets.push_back(offset);
        return true;
    });
    if (text.empty()) {
        return {0};
    }
    return offsets;
}

std::vector<std::string_view> Graphemes::split(std::string_view text) {
    std::vector<std::string_view> characters;
    characters.reserve(text.size());
    std::size_t previous = 0;
    forEachBoundary(text, [&](std::size_t offset) {
        if (offset > previous) {
            characters.push_back(text.substr(previous, offset - previous));
            previous = offset;
        }
        return true;
    });
    return characters;
}

std::string_view Graphemes::prefix(std::string_view text, std::size_t n) {
    std::size_t seen = 0;
    std::size_t end = 0;
    forEachBoundary(text, [&](std::size_t offset) {
        end = offset;
        return seen++ < n;
    });
    return text.substr(0, end);
}

std::string_view Graphemes::droppingLast(std::string_view text, std::size_t n) {
    const std::vector<std::size_t> offsets = boundaries(text);
    const std::size_t characters = offsets.size() - 1;
    return n >= characters ? text.substr(0, 0) : text.substr(0, offsets[characters - n]);
}

std::string_view Graphemes::last(std::string_view text) {
    const std::vector<std::size_t> offsets = boundaries(text);
    if (offsets.size() < 2) {
        return text.substr(0, 0);
    }
    const std::size_t start = offsets[offsets.size() - 2];
    return text.substr(start);
}

std::string Graphemes::clamped(std::string_view text, std::size_t n) {
    if (n == 0) {
        return {};
    }
    if (count(text) <= n) {
        return std::string(text);
    }
    std::string clamped(prefix(text, n - 1));
    clamped.append(kEllipsis);
    return clamped;
}

} // namespace nimbrel
