// The counting side of a capturing probe: adds each frame to its conversation in one matrix
// index of a MatrixTable, and keeps that index within a table size by deleting the least
// recently used conversation (RMON's rule for a full matrix table), noting the time in the
// control row's matrixControlLastDeleteTime. A frame costs one hash look-up and a move to
// the front of the recency list; new conversations also enter the table's sorted orders.
// Not thread-safe: a probe that answers from another thread locks around Count.
#pragma once

#include "probe/ethernet_frame.h"
#include "probe/matrix_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace probe {

class PairCollector {
  public:
    // sysUpTime in hundredths of a second, for matrixControlLastDeleteTime.
    using Uptime = std::function<uint32_t()>;

    // Counts into rows of `index` of `table`, whose control row for `index` must exist;
    // the table outlives the collector. At most `tableSize` (at least 1) conversations; memory
    // grows with the conversations held, not with the limit.
    PairCollector(MatrixTable& table, uint32_t index, size_t tableSize, Uptime uptime);

    void Count(const FrameCount& frame);
    size_t Size() const { return m_entries.size() - m_free.size(); }

  private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Source and destination, each as 48 bits.
    struct PairKey {
        uint64_t source;
        uint64_t destination;
        bool operator==(const PairKey&) const = default;
    };
    struct PairHash {
        size_t operator()(const PairKey& key) const;
    };
    // A conversation: its table row and its place in the recency list (most recent first).
    struct Entry {
        Mac source;
        Mac destination;
        MatrixCounters* counters;
        uint32_t newer;
        uint32_t older;
    };

    uint32_t Add(const PairKey& key, const FrameCount& frame);
    void EvictOldest();
    void Unlink(uint32_t entry);
    void LinkFirst(uint32_t entry);

    MatrixTable& m_table;
    uint32_t m_index;
    size_t m_tableSize;
    Uptime m_uptime;
    std::unordered_map<PairKey, uint32_t, PairHash> m_byPair; // entry of each conversation
    std::vector<Entry> m_entries;
    std::vector<uint32_t> m_free; // entries of deleted conversations, reused first
    uint32_t m_newest = kNone;
    uint32_t m_oldest = kNone;
};

} // namespace probe
