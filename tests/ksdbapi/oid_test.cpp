// Object identifiers against std::vector<uint32_t>, the type they stand in for: contents
// through every way of building one, copies and moves across the inline capacity, order.
#include "host/ksdbapi/oid.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

using ksdb::Oid;
using Arcs = std::vector<uint32_t>;

namespace {

constexpr size_t kInline = Oid::kInlineArcs;

Arcs Numbered(size_t length, uint32_t from = 1) {
    Arcs arcs(length);
    for (size_t i = 0; i < length; ++i) {
        arcs[i] = from + static_cast<uint32_t>(i) * 7;
    }
    return arcs;
}

Arcs ArcsOf(const Oid& oid) {
    return Arcs(oid.begin(), oid.end());
}

// Empty, one arc, both sides of the inline capacity, twice it (a second growth), the
// most SNMP allows.
const size_t kLengths[] = {0, 1, kInline - 1, kInline, kInline + 1, 2 * kInline + 1, 128};

} // namespace

TEST(Oid, EveryWayOfBuildingHoldsTheArcs) {
    for (size_t length : kLengths) {
        SCOPED_TRACE(length);
        const Arcs expected = Numbered(length);

        Oid pushed;
        for (uint32_t arc : expected) {
            pushed.push_back(arc);
        }
        const Oid ranged(expected.begin(), expected.end());
        std::vector<unsigned long> wide(expected.begin(), expected.end()); // net-snmp's oid
        const Oid widened(wide.data(), wide.data() + wide.size());
        Oid assigned = {9, 9, 9};
        assigned.assign(expected.begin(), expected.end());
        Oid grown;
        grown.resize(length);
        std::copy(expected.begin(), expected.end(), grown.begin());
        Oid spliced = {expected.empty() ? 0u : expected.front()};
        if (!expected.empty()) {
            spliced.insert(spliced.end(), expected.begin() + 1, expected.end());
        } else {
            spliced.pop_back();
        }

        const Oid* built[] = {&pushed, &ranged, &widened, &assigned, &grown, &spliced};
        for (const Oid* oid : built) {
            EXPECT_EQ(ArcsOf(*oid), expected);
            EXPECT_EQ(oid->size(), length);
            EXPECT_EQ(oid->empty(), length == 0);
            EXPECT_EQ(*oid, ranged);
        }
    }
}

TEST(Oid, InsertInTheMiddleAndResizeKeepTheOtherArcs) {
    for (size_t length : kLengths) {
        SCOPED_TRACE(length);
        Arcs expected = Numbered(length);
        Oid oid(expected.begin(), expected.end());
        const Arcs middle = {100, 200, 300};
        oid.insert(oid.begin() + long(length / 2), middle.begin(), middle.end());
        expected.insert(expected.begin() + long(length / 2), middle.begin(), middle.end());
        EXPECT_EQ(ArcsOf(oid), expected);

        oid.resize(length + 40, 5);
        expected.resize(length + 40, 5);
        EXPECT_EQ(ArcsOf(oid), expected);
        oid.resize(1);
        EXPECT_EQ(ArcsOf(oid), Arcs{expected.front()});
        oid.clear();
        EXPECT_TRUE(oid.empty());
        oid.push_back(4);
        EXPECT_EQ(ArcsOf(oid), Arcs{4});
    }
}

TEST(Oid, CopiesAndMovesBetweenShortAndLong) {
    for (size_t from : kLengths) {
        for (size_t to : kLengths) {
            SCOPED_TRACE(testing::Message() << from << " over " << to);
            const Arcs source = Numbered(from, 1), target = Numbered(to, 1000);

            Oid copied(target.begin(), target.end());
            const Oid original(source.begin(), source.end());
            copied = original;
            EXPECT_EQ(ArcsOf(copied), source);
            EXPECT_EQ(ArcsOf(original), source);
            copied.push_back(1); // the copy owns its arcs
            EXPECT_EQ(ArcsOf(original), source);

            Oid moved(target.begin(), target.end());
            Oid given(source.begin(), source.end());
            moved = std::move(given);
            EXPECT_EQ(ArcsOf(moved), source);
            given = {8}; // a moved-from identifier takes new arcs
            EXPECT_EQ(ArcsOf(given), Arcs{8});

            Oid constructed(std::move(moved));
            EXPECT_EQ(ArcsOf(constructed), source);
            Oid self = constructed;
            self = *&self;
            EXPECT_EQ(ArcsOf(self), source);
        }
    }
}

TEST(Oid, OrdersLikeTheVectorsLexicographicOrder) {
    std::mt19937 random(31);
    auto randomArcs = [&random](size_t most) {
        Arcs arcs(random() % (most + 1));
        for (uint32_t& arc : arcs) {
            arc = random() % 4 == 0 ? random() : random() % 3; // many ties, some above 2^31
        }
        return arcs;
    };
    std::vector<std::pair<Arcs, Arcs>> pairs = {
        {{}, {}}, {{}, {0}}, {{1, 2}, {1, 2, 0}}, {{0xFFFFFFFF}, {0}}, {{1, 3}, {1, 2, 9}}};
    for (int i = 0; i < 300; ++i) {
        Arcs a = randomArcs(i % 3 == 0 ? 2 * kInline : 12);
        Arcs b;
        switch (i % 3) {
        case 0: // a prefix of a, or a with arcs after it
            b = a;
            b.resize(random() % (a.size() + 3));
            break;
        case 1:
            b = a; // equal but for one arc
            if (!b.empty()) {
                b[random() % b.size()] = random() % 3;
            }
            break;
        default:
            b = randomArcs(12);
        }
        pairs.emplace_back(a, b);
    }
    for (const auto& [a, b] : pairs) {
        const Oid x(a.begin(), a.end()), y(b.begin(), b.end());
        SCOPED_TRACE(testing::PrintToString(a) + " vs " + testing::PrintToString(b));
        EXPECT_EQ(x == y, a == b);
        EXPECT_EQ(x != y, a != b);
        EXPECT_EQ(x < y, a < b);
        EXPECT_EQ(y < x, b < a);
        EXPECT_EQ(x <= y, a <= b);
    }
}
