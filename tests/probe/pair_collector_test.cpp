// Counting frames into the matrix: per ordered pair, Counter32 wrap, and the table-size
// limit that deletes the least recently used conversation and notes when.
#include "probe/pair_collector.h"

#include <gtest/gtest.h>

namespace {

using probe::Arcs;
using probe::FrameCount;
using probe::Mac;
using probe::MatrixObject;
using probe::MatrixTable;
using probe::PairCollector;

const Mac kA = {0x00, 0xA0, 0xC9, 0, 0, 1};
const Mac kB = {0x00, 0xA0, 0xC9, 0, 0, 2};
const Mac kC = {0x00, 0xA0, 0xC9, 0, 0, 3};
const Mac kD = {0x00, 0xA0, 0xC9, 0, 0, 4};
const Mac kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Mac kMulticast = {0x01, 0x00, 0x5E, 0x00, 0x00, 0xFB};

FrameCount Frame(const Mac& source, const Mac& destination, uint32_t octets, bool error = false) {
    return FrameCount{source, destination, octets, error};
}

class PairCollectorTest : public testing::Test {
  protected:
    void SetUp() override { m_table.SetControl(1, probe::MatrixControl{{1, 3, 6, 1}, 0, "t", 1}); }

    // matrixSDTable column (4 packets, 5 octets, 6 errors) of a pair; -1 if it has no row.
    int64_t Sd(uint32_t column, const Mac& source, const Mac& destination) {
        Arcs name = MatrixTable::kSdEntry;
        name.insert(name.end(), {column, 1, 6});
        name.insert(name.end(), source.begin(), source.end());
        name.push_back(6);
        name.insert(name.end(), destination.begin(), destination.end());
        MatrixObject object;
        return m_table.Get(name, object) ? int64_t(object.value.number) : -1;
    }
    uint32_t ControlColumn(uint32_t column) {
        Arcs name = MatrixTable::kControlEntry;
        name.insert(name.end(), {column, 1});
        MatrixObject object;
        EXPECT_TRUE(m_table.Get(name, object));
        return object.value.number;
    }

    MatrixTable m_table;
    uint32_t m_now = 0;
};

} // namespace

TEST_F(PairCollectorTest, CountsEachDirectionOfEachPairIncludingGroupDestinations) {
    PairCollector collector(m_table, 1, 100, [this] { return m_now; });
    collector.Count(Frame(kA, kB, 64));
    collector.Count(Frame(kA, kB, 1518, true));
    collector.Count(Frame(kB, kA, 100));
    collector.Count(Frame(kA, kBroadcast, 64));
    collector.Count(Frame(kC, kMulticast, 90));
    EXPECT_EQ(Sd(4, kA, kB), 2);
    EXPECT_EQ(Sd(5, kA, kB), 1582);
    EXPECT_EQ(Sd(6, kA, kB), 1);
    EXPECT_EQ(Sd(4, kB, kA), 1);
    EXPECT_EQ(Sd(5, kB, kA), 100);
    EXPECT_EQ(Sd(6, kB, kA), 0);
    EXPECT_EQ(Sd(5, kA, kBroadcast), 64);
    EXPECT_EQ(Sd(5, kC, kMulticast), 90);
    EXPECT_EQ(collector.Size(), 4u);
    EXPECT_EQ(ControlColumn(3), 4u); // matrixControlTableSize
    EXPECT_EQ(ControlColumn(4), 0u); // nothing deleted yet
}

TEST_F(PairCollectorTest, OctetsWrapAsCounter32) {
    PairCollector collector(m_table, 1, 100, [this] { return m_now; });
    for (int i = 0; i < 3; ++i) {
        collector.Count(Frame(kA, kB, 1500000000u));
    }
    EXPECT_EQ(Sd(5, kA, kB), int64_t(4500000000ull % 4294967296ull));
    EXPECT_EQ(Sd(4, kA, kB), 3);
}

TEST_F(PairCollectorTest, AFullTableDeletesTheLeastRecentlyUsedPair) {
    PairCollector collector(m_table, 1, 3, [this] { return m_now; });
    collector.Count(Frame(kA, kB, 64));
    collector.Count(Frame(kB, kC, 64));
    collector.Count(Frame(kC, kD, 64));
    collector.Count(Frame(kA, kB, 64)); // A->B is now the most recent, B->C the oldest
    m_now = 4242;
    collector.Count(Frame(kD, kA, 64));
    EXPECT_EQ(collector.Size(), 3u);
    EXPECT_EQ(Sd(4, kB, kC), -1);
    EXPECT_EQ(Sd(4, kA, kB), 2);
    EXPECT_EQ(Sd(4, kC, kD), 1);
    EXPECT_EQ(Sd(4, kD, kA), 1);
    EXPECT_EQ(ControlColumn(3), 3u);
    EXPECT_EQ(ControlColumn(4), 4242u); // matrixControlLastDeleteTime

    // The deleted pair comes back from zero, and pushes out the next oldest, C->D.
    m_now = 5000;
    collector.Count(Frame(kB, kC, 64));
    EXPECT_EQ(Sd(4, kB, kC), 1);
    EXPECT_EQ(Sd(4, kC, kD), -1);
    EXPECT_EQ(ControlColumn(4), 5000u);

    // A table of one keeps only the last pair.
    MatrixTable single;
    single.SetControl(1, {});
    PairCollector one(single, 1, 1, [] { return 7u; });
    for (const Mac& peer : {kB, kC, kD, kB}) {
        one.Count(Frame(kA, peer, 64));
    }
    EXPECT_EQ(single.Size(), 1u);
    EXPECT_EQ(one.Size(), 1u);
}
