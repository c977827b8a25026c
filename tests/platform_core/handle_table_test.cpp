#include "platform/handle_table.h"

#include <gtest/gtest.h>

#include <set>

using platform::HandleTable;

// A freed slot is reused, but every handle given out for it before stays stale.
TEST(HandleTable, StaleHandlesStayStaleAcrossReuse) {
    HandleTable<int> table;
    int a = 1, b = 2;
    uintptr_t first = table.Add(&a);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(table.Lookup(first), &a);
    EXPECT_EQ(table.Remove(first), &a);
    EXPECT_EQ(table.Lookup(first), nullptr);
    EXPECT_EQ(table.Remove(first), nullptr);

    std::set<uintptr_t> seen = {first};
    for (int i = 0; i < 100; ++i) {
        uintptr_t handle = table.Add(&b);
        EXPECT_TRUE(seen.insert(handle).second) << "handle value reused: " << handle;
        table.Remove(handle);
    }
    for (uintptr_t old : seen)
        EXPECT_EQ(table.Lookup(old), nullptr);
}

// Handles fit in 31 bits (a 32-bit window long keeps them) and garbage never resolves.
TEST(HandleTable, ValuesAreSmallAndGarbageIsRejected) {
    HandleTable<int> table;
    int value = 0;
    for (int i = 0; i < 1000; ++i) {
        uintptr_t handle = table.Add(&value);
        EXPECT_LT(handle, uintptr_t(1) << 31);
    }
    for (uintptr_t garbage : {uintptr_t(0), uintptr_t(1), uintptr_t(0xffff), uintptr_t(0x7fffffff),
                              ~uintptr_t(0), uintptr_t(1001)})
        EXPECT_EQ(table.Lookup(garbage), nullptr) << garbage;
}
