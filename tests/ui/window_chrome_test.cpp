// Where the window chrome puts things, without a window: the minimised
// window's icon and a picture in its control.
#include <gtest/gtest.h>

#include "ui/window_chrome.h"

namespace {

// One row of a placement table: the area, the size of what goes in it, where
// it is expected to go, and why.
template <typename Place>
struct Placement {
    wxSize area, size;
    Place expected;
    const char* why;
};

TEST(MinimisedIconPosition, CentresWithDivisionsTruncatingTowardsZero) {
    const Placement<wxPoint> cases[] = {
        {wxSize(200, 160), wxSize(32, 32), wxPoint(84, 64), "even sizes"},
        {wxSize(201, 161), wxSize(32, 32), wxPoint(85, 65), "odd sizes round up"},
        {wxSize(32, 32), wxSize(32, 32), wxPoint(0, 0), "the icon fills the client area"},
        // A minimised window may have no client area at all: -31 / 2 is -15, not -16.
        {wxSize(0, 0), wxSize(32, 32), wxPoint(-15, -15), "no client area"},
        {wxSize(1, 16), wxSize(16, 16), wxPoint(-7, 0), "narrower than the icon"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, MinimisedIconPosition(c.area, c.size)) << c.why;
}

TEST(FittedPictureRect, CentresAFittingPictureAndScalesALargerOneDownKeepingItsShape) {
    const Placement<wxRect> cases[] = {
        {wxSize(132, 68), wxSize(113, 60), wxRect(9, 4, 113, 60), "as it is"},
        {wxSize(113, 60), wxSize(113, 60), wxRect(0, 0, 113, 60), "exactly the area"},
        // Windows' MS Sans Serif makes the About box's picture 88 x 52 pixels.
        {wxSize(88, 52), wxSize(113, 60), wxRect(0, 3, 88, 46), "width decides"},
        {wxSize(122, 40), wxSize(113, 60), wxRect(23, 0, 75, 40), "height decides"},
        {wxSize(0, 52), wxSize(113, 60), wxRect(), "an empty area"},
        {wxSize(88, 52), wxSize(), wxRect(), "an empty picture"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, FittedPictureRect(c.area, c.size)) << c.why;
}

}  // namespace
