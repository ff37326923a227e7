#include "core/text/collation.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Collation, IgnoresCaseButNotAccentsAndSortsAccentsWithTheirBaseLetter) {
    EXPECT_EQ(Collation::localizedCaseInsensitiveCompare("indie", "INDIE"), 0);
    EXPECT_NE(Collation::localizedCaseInsensitiveCompare("resume", "r\u00E9sum\u00E9"), 0);
    std::vector<std::string> genres = {"Zydeco", "\u00C9lectro", "ambient", "Emo", "Electronic"};
    std::sort(genres.begin(), genres.end(), Collation::localizedCaseInsensitiveLess);
    // Byte order would put "Électro" after "Zydeco".
    EXPECT_EQ(genres, (std::vector<std::string>{"ambient", "\u00C9lectro", "Electronic", "Emo", "Zydeco"}));
}

} // namespace
} // namespace nimbrel
