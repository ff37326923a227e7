#include "core/mascot/island_geometry.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Rect = IslandGeometry::Rect;
using Notch = IslandGeometry::Notch;

TEST(IslandGeometry, NotchCases) {
    const Rect laptop{0, 0, 1512, 982};
    const struct {
        std::string name;
        Rect screen;
        double safeAreaTop;
        std::optional<double> left;
        std::optional<double> right;
        Notch expected;
    } rows[] = {
        {"hardware notch between the auxiliary strips", laptop, 32, 661, 661, {{661, 950, 190, 32}, true}},
        {"uneven strips", laptop, 38, 600, 700, {{600, 944, 212, 38}, true}},
        {"no safe area: virtual even with strips", laptop, 0, 661, 661, {{692, 958, 128, 24}, false}},
        {"strips cover the width exactly: virtual", laptop, 32, 756, 756, {{692, 958, 128, 24}, false}},
        {"strips wider than the screen: virtual", laptop, 32, 900, 900, {{692, 958, 128, 24}, false}},
        {"left strip only: virtual", laptop, 32, 661, std::nullopt, {{692, 958, 128, 24}, false}},
        {"second display, hardware notch offset by its origin",
         {1512, 200, 1512, 982},
         32,
         661,
         661,
         {{2173, 1150, 190, 32}, true}},
        {"second display, virtual notch centred on it",
         {-1920, -100, 1920, 1080},
         0,
         std::nullopt,
         std::nullopt,
         {{-1024, 956, 128, 24}, false}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IslandGeometry::notch(row.screen, row.safeAreaTop, row.left, row.right, 24,
                                        IslandGeometry::kVirtualNotchWidth),
                  row.expected)
            << row.name;
    }
}

TEST(IslandGeometry, VirtualNotchUsesTheGivenWidthAndMenuBarHeight) {
    const Notch notch = IslandGeometry::notch({0, 0, 1000, 800}, 0, std::nullopt, std::nullopt, 30, 200);
    EXPECT_EQ(notch, (Notch{{400, 770, 200, 30}, false}));
}

TEST(IslandGeometry, Hanging) {
    const Rect notch{661, 950, 190, 32};
    EXPECT_EQ(IslandGeometry::hanging({100, 20}, notch), (Rect{706, 962, 100, 20}));
    // Wider than the rectangle: a negative offset from its left edge, still centred.
    const Rect wide = IslandGeometry::hanging({400, 120}, notch);
    EXPECT_EQ(wide, (Rect{556, 862, 400, 120}));
}

} // namespace
} // namespace nimbrel
