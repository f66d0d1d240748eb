// A row's item data: a mod's status and slot in one number, and back.
#include <gtest/gtest.h>

#include "core/installer_core.h"

namespace {

TEST(ItemData, HoldsTheStatusAndTheSlot) {
    struct Case {
        int status, slot;
        int32_t data;
    } cases[] = {
        {StatusInstalled, 0, 100},
        {StatusNotInstalled, 49, 249},
        {StatusNeedUpgrade, 7, 307},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        EXPECT_EQ(c.data, ItemData(c.status, c.slot));
        EXPECT_EQ(c.status, ItemDataStatus(c.data));
        EXPECT_EQ(c.slot, ItemDataSlot(c.data));
    }
}

}  // namespace
