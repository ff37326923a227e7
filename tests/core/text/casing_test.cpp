#include "core/text/casing.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Casing, FullLocaleIndependentMappings) {
    EXPECT_EQ(Casing::uppercased("stra\u00DFe"), "STRASSE");
    EXPECT_EQ(Casing::uppercased("\uFB01"), "FI");
    EXPECT_EQ(Casing::lowercased("\u0130"), "i\u0307");
    // A Turkish locale would map "I" to dotless "ı"; Nimbrel's keys must not depend on the user's locale.
    EXPECT_EQ(Casing::lowercased("INDIE"), "indie");
    EXPECT_EQ(Casing::lowercased("\u00C9T\u00C9 \U0001F3B5"), "\u00E9t\u00E9 \U0001F3B5");
    EXPECT_EQ(Casing::uppercased("\u03C3\u03BF\u03C5"), "\u03A3\u039F\u03A5");
}

TEST(Casing, FoldingIgnoresCaseAndDiacritics) {
    const std::pair<const char*, const char*> same[] = {{"Beyonc\u00E9", "BEYONCE"},
                                                        {"Mo\u0308tley Cru\u0308e", "M\u00D6TLEY CR\u00DCE"},
                                                        {"Stra\u00DFe", "STRASSE"},
                                                        {"\u00C5NGEL", "a\u030Angel"}};
    for (const auto& [a, b] : same) {
        EXPECT_EQ(Casing::folded(a), Casing::folded(b)) << a << " vs " << b;
    }
    EXPECT_NE(Casing::folded("abc"), Casing::folded("abd"));
    EXPECT_EQ(Casing::folded("Caf\u00E9"), "cafe");
}

} // namespace
} // namespace nimbrel
