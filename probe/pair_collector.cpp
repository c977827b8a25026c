#include "probe/pair_collector.h"

#include <utility>

namespace probe {
namespace {

uint64_t Bits(const Mac& address) {
    uint64_t bits = 0;
    for (uint8_t byte : address) {
        bits = bits << 8 | byte;
    }
    return bits;
}

} // namespace

size_t PairCollector::PairHash::operator()(const PairKey& key) const {
    // Multiplicative mixing: hosts often share their first three bytes (the vendor prefix).
    uint64_t h = key.source * 0x9E3779B97F4A7C15ull ^ key.destination * 0xC2B2AE3D27D4EB4Full;
    return size_t(h ^ h >> 29);
}

PairCollector::PairCollector(MatrixTable& table, uint32_t index, size_t tableSize, Uptime uptime)
    : m_table(table), m_index(index), m_tableSize(tableSize ? tableSize : 1),
      m_uptime(std::move(uptime)) {}

void PairCollector::Count(const FrameCount& frame) {
    const PairKey key{Bits(frame.source), Bits(frame.destination)};
    auto found = m_byPair.find(key);
    uint32_t entry = found == m_byPair.end() ? Add(key, frame) : found->second;
    if (entry != m_newest) {
        Unlink(entry);
        LinkFirst(entry);
    }
    MatrixCounters& counters = *m_entries[entry].counters;
    counters.packets += 1;
    counters.octets += frame.octets;
    counters.errors += frame.error ? 1 : 0;
}

uint32_t PairCollector::Add(const PairKey& key, const FrameCount& frame) {
    if (Size() >= m_tableSize) {
        EvictOldest();
    }
    Entry created{frame.source, frame.destination,
                  &m_table.Row(m_index, frame.source, frame.destination), kNone, kNone};
    uint32_t entry;
    if (m_free.empty()) {
        entry = uint32_t(m_entries.size());
        m_entries.push_back(created);
    } else {
        entry = m_free.back();
        m_free.pop_back();
        m_entries[entry] = created;
    }
    m_byPair.emplace(key, entry);
    LinkFirst(entry);
    return entry;
}

void PairCollector::EvictOldest() {
    const uint32_t entry = m_oldest;
    const Entry& oldest = m_entries[entry];
    Unlink(entry);
    m_byPair.erase(PairKey{Bits(oldest.source), Bits(oldest.destination)});
    m_table.Remove(m_index, oldest.source, oldest.destination);
    m_free.push_back(entry);
    if (MatrixControl* control = m_table.Control(m_index)) {
        control->lastDeleteTime = m_uptime();
    }
}

void PairCollector::Unlink(uint32_t entry) {
    Entry& e = m_entries[entry];
    if (e.newer != kNone) {
        m_entries[e.newer].older = e.older;
    } else if (m_newest == entry) {
        m_newest = e.older;
    }
    if (e.older != kNone) {
        m_entries[e.older].newer = e.newer;
    } else if (m_oldest == entry) {
        m_oldest = e.newer;
    }
    e.newer = e.older = kNone;
}

void PairCollector::LinkFirst(uint32_t entry) {
    Entry& e = m_entries[entry];
    e.newer = kNone;
    e.older = m_newest;
    if (m_newest != kNone) {
        m_entries[m_newest].newer = entry;
    }
    m_newest = entry;
    if (m_oldest == kNone) {
        m_oldest = entry;
    }
}

} // namespace probe
