#include "common/handle_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using platform::HandleTable;

// A freed slot is reused, but every handle given out for it before stays stale.
TEST(HandleTable, StaleHandlesStayStaleAcrossReuse) {
    HandleTable<int*> table;
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
    for (uintptr_t old : seen) {
        EXPECT_EQ(table.Lookup(old), nullptr);
    }
}

// Regression: a record freed and made again every walk came back in the same slot, and
// after 1,024 walks its generation wrapped and a stale handle resolved again. One slot
// reused more than 2^16 times never gives a handle value twice; when its generations are
// spent it is retired and the next slot serves.
TEST(HandleTable, OneSlotReusedBeyondItsGenerationsNeverGivesAHandleTwice) {
    HandleTable<int*> table;
    int value = 0;
    std::set<uintptr_t> seen;
    const uintptr_t first = table.Add(&value);
    table.Remove(first);
    seen.insert(first);
    for (int i = 0; i < (1 << 16) + 10; ++i) {
        const uintptr_t handle = table.Add(&value);
        ASSERT_TRUE(seen.insert(handle).second) << "handle value given twice: " << handle;
        table.Remove(handle);
        ASSERT_EQ(table.Lookup(first), nullptr) << "after " << i << " reuses";
    }
    EXPECT_EQ(table.Count(), 0u);
}

// Freed slots come back oldest first.
TEST(HandleTable, FreedSlotsAreReusedFirstInFirstOut) {
    HandleTable<std::unique_ptr<int>> table;
    const uintptr_t a = table.Add(std::make_unique<int>(1));
    const uintptr_t b = table.Add(std::make_unique<int>(2));
    ASSERT_EQ(*table.Remove(a), 1);
    ASSERT_EQ(*table.Remove(b), 2);
    const uintptr_t mask = HandleTable<std::unique_ptr<int>>::kIndexMask;
    EXPECT_EQ(table.Add(std::make_unique<int>(3)) & mask, a & mask);
    EXPECT_EQ(table.Add(std::make_unique<int>(4)) & mask, b & mask);
    EXPECT_EQ(table.Add(nullptr), 0u) << "a null value has no handle";
}

// Handles fit in 31 bits (a 32-bit window long keeps them) and garbage never resolves.
TEST(HandleTable, ValuesAreSmallAndGarbageIsRejected) {
    HandleTable<int*> table;
    int value = 0;
    for (int i = 0; i < 1000; ++i) {
        uintptr_t handle = table.Add(&value);
        EXPECT_LT(handle, uintptr_t(1) << 31);
    }
    for (uintptr_t garbage : {uintptr_t(0), uintptr_t(1), uintptr_t(0xffff), uintptr_t(0x7fffffff),
                              ~uintptr_t(0), uintptr_t(1001)}) {
        EXPECT_EQ(table.Lookup(garbage), nullptr) << garbage;
    }
}
