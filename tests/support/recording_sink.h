// The scan's rows as the tests look at them: the core's own row collector,
// and what only a test asks of it besides.
#pragma once

#include <algorithm>
#include <string>

#include "core/installer_core.h"

namespace test {

class RecordingSink : public ModRowList {
public:
    int clears = 0;       // how many times the rows were cleared
    bool inOrder = true;  // every row was inserted after the others, as a scan inserts them

    void ClearModRows() override {
        ModRowList::ClearModRows();
        ++clears;
    }
    void InsertModRow(int row, const std::string& name) override {
        inOrder = inOrder && row >= 0 && static_cast<size_t>(row) == rows.size();
        ModRowList::InsertModRow(row, name);
    }
};

}  // namespace test
