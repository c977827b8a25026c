// MatrixRowIndex: finds the row of a conversation by its index, source and destination
// texts without scanning the table. It keeps only a hash of each row's texts, case-folded
// so that "00 a0 c9" and "00 A0 C9" meet the same row as a case-insensitive comparison of
// the cells would, and asks the caller which of the rows that share a hash holds the
// texts: about 12 bytes a row where a map of the texts takes ten times that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class MatrixRowIndex {
  public:
    // Forgets every row.
    void Clear();
    // Records the next row (rows are recorded in order, from 0) under its cells.
    void Add(const char* index, const char* source, const char* destination);
    // The first row recorded under the texts for which holds(row) is true (the row holds
    // them), or -1; `stale` is set when none does but a row recorded under them (or under
    // another triple of the same hash) was asked: the table may have changed behind it.
    template <typename Holds>
    int Find(const char* index, const char* source, const char* destination, const Holds& holds,
             bool& stale) const {
        stale = false;
        int found = -1;
        const uint32_t hash = Hash(index, source, destination);
        for (size_t slot = FirstSlot(hash); slot != kNoSlot; slot = NextSlot(slot)) {
            const int row = m_slots[slot];
            if (m_hashes[static_cast<size_t>(row)] != hash || (found != -1 && row > found)) {
                continue;
            }
            if (holds(row)) {
                found = row;
            } else {
                stale = true;
            }
        }
        stale = stale && found == -1;
        return found;
    }
    // Number of rows recorded.
    int RowCount() const { return static_cast<int>(m_hashes.size()); }

  private:
    static constexpr size_t kNoSlot = ~size_t{0};

    static uint32_t Hash(const char* index, const char* source, const char* destination);
    void Place(int row);
    // The taken slots a probe for the hash visits, in turn; kNoSlot after the last.
    size_t FirstSlot(uint32_t hash) const;
    size_t NextSlot(size_t slot) const;

    std::vector<uint32_t> m_hashes; // by row
    std::vector<int32_t> m_slots;   // open addressing: a row, or -1; a power of two long
};
