#include "core/text/casing.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Casing, FullMappingsChangeLength) {
    EXPECT_EQ(Casing::uppercased("stra\u00DFe"), "STRASSE");
    EXPECT_EQ(Casing::uppercased("\uFB01"), "FI");
    EXPECT_EQ(Casing::lowercased("\u0130"), "i\u0307");
}

TEST(Casing, LocaleIndependent) {
    // A Turkish locale would map "I" to dotless "ı"; Nimbrel's keys must not depend on the user's locale.
    EXPECT_EQ(Casing::lowercased("INDIE"), "indie");
    EXPECT_EQ(Casing::uppercased("indie"), "INDIE");
}

TEST(Casing, NonAsciiAndEmojiPassThrough) {
    EXPECT_EQ(Casing::lowercased("\u00C9T\u00C9 \U0001F3B5"), "\u00E9t\u00E9 \U0001F3B5");
    EXPECT_EQ(Casing::uppercased("\u03C3\u03BF\u03C5"), "\u03A3\u039F\u03A5");
}

TEST(Casing, FoldingIgnoresCaseAndDiacritics) {
    struct Case {
        const char* a;
        const char* b;
    };
    for (const Case& c : {Case{"Beyonc\u00E9", "BEYONCE"}, Case{"Sigur R\u00F3s", "sigur ros"},
                          Case{"Mo\u0308tley Cru\u0308e", "M\u00D6TLEY CR\u00DCE"}, Case{"Stra\u00DFe", "STRASSE"},
                          Case{"\u00C5NGEL", "a\u030Angel"}}) {
        EXPECT_EQ(Casing::folded(c.a), Casing::folded(c.b)) << c.a << " vs " << c.b;
    }
    EXPECT_NE(Casing::folded("abc"), Casing::folded("abd"));
    EXPECT_EQ(Casing::folded("Caf\u00E9"), "cafe");
}

} // namespace
} // namespace nimbrel
