#include "dialogs/dialog_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogPlacement, CentredOriginHalvesTheDifferenceTruncatingTowardZero)
{
    struct Case {
        RECT area;
        RECT window;
        POINT origin;
    };
    const Case cases[] = {
        {{0, 0, 1280, 1024}, {0, 0, 320, 200}, {480, 412}},
        {{0, 0, 101, 11}, {0, 0, 50, 4}, {25, 3}},             // odd differences 51 and 7 round down
        {{0, 0, 100, 100}, {0, 0, 103, 10}, {-1, 45}},         // -3 / 2 is -1, not -2
        {{0, 0, 100, 100}, {0, 0, 105, 107}, {-2, -3}},        // -5 / 2 and -7 / 2
        {{10, 20, 110, 220}, {500, 600, 550, 700}, {35, 70}},  // the window's own position does not count
        {{-1280, -50, 0, 974}, {0, 0, 321, 201}, {-801, 361}}, // a desktop left of the primary screen
        {{0, 0, 0, 0}, {7, 7, 7, 7}, {0, 0}},
    };
    for (const Case& c : cases) {
        const POINT origin = CentredOrigin(c.area, c.window);
        EXPECT_EQ(origin.x, c.origin.x) << "area " << c.area.left << "," << c.area.right;
        EXPECT_EQ(origin.y, c.origin.y) << "area " << c.area.top << "," << c.area.bottom;
    }
}

} // namespace
