// What the mod list decides without a window: the order of a header click
// and the text a row shows for a mod's name.
#include <gtest/gtest.h>

#include <string>

#include "ui/mod_list.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(ModListOrder, CompareByStatusOrdersByStatusAloneForEachColumn) {
    struct Case {
        wxIntPtr first, second, column;
        int sign;  // of CompareByStatus(first, second, column)
        const char* why;
    } cases[] = {
        {105, 201, 0, -1, "Mod name: installed first"},
        {301, 200, 0, +1, "Mod name: need upgrade last"},
        {201, 249, 0, 0, "slots never count"},
        {105, 201, 1, +1, "Status: the reverse"},
        {100, 300, 2, 0, "no such column"},
        {100, 300, -1, 0, "no such column"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.sign, Sign(CompareByStatus(c.first, c.second, c.column)))
            << c.first << " against " << c.second << ", column " << c.column;
    }
    EXPECT_LT(CompareByStatus(301, 100, 0) * CompareByStatus(301, 100, 1), 0) << "the columns sort in opposite orders";
}

TEST(ShownModName, IsTheNameCutTo79Characters) {
    EXPECT_EQ(79u, ShownModName(std::string(120, 'x')).size());
    EXPECT_EQ("short", ShownModName("short"));
    // Characters, not bytes: a Cyrillic letter takes two.
    std::string cyrillic;
    for (int i = 0; i < 100; ++i) cyrillic += "Д";
    EXPECT_EQ(cyrillic.substr(0, 2 * 79), ShownModName(cyrillic));
}

}  // namespace
