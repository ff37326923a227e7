#include "core/text/collation.h"

#include <memory>

#include <unicode/coll.h>

#include "core/text/casing.h"

namespace nimbrel {
namespace {

// With LANG=C or POSIX, ICU's default locale is en_US_POSIX, whose collation orders by code point and so
// ranks every capital before every small letter. Nobody who sets LANG=C asks for that in a list of
// names, so it gets the root (language-neutral) order instead.
icu::Locale collationLocale() {
    const icu::Locale& locale = icu::Locale::getDefault();
    return std::string_view(locale.getVariant()) == "POSIX" ? icu::Locale::getRoot() : locale;
}

// Secondary strength: base letters and accents count, case does not.
icu::Collator* caseInsensitiveCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> created(icu::Collator::createInstance(collationLocale(), status));
        if (U_FAILURE(status) || !created) {
            return std::unique_ptr<icu::Collator>();
        }
        created->setStrength(icu::Collator::SECONDARY);
        return created;
    }();
    return collator.get();
}

} // namespace

int Collation::localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    icu::Collator* collator = caseInsensitiveCollator();
    if (collator == nullptr) {
        // Without collation data, fall back to comparing lower-cased code points.
        return Casing::lowercased(a).compare(Casing::lowercased(b));
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collator->compareUTF8(icu::StringPiece(a.data(), static_cast<std::int32_t>(a.size())),
                              icu::StringPiece(b.data(), static_cast<std::int32_t>(b.size())), status);
    return static_cast<int>(result);
}

bool Collation::localizedCaseInsensitiveLess(std::string_view a, std::string_view b) {
    return localizedCaseInsensitiveCompare(a, b) < 0;
}

} // namespace nimbrel
