#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The ascending order of one column's rows, kept over row slots (stable row numbers).
//
// A new value goes before the first row, counted from the smallest, whose value is greater
// than or equal to it, or last when there is none: among equal values the row stored last
// comes first. Numeric orders compare atof values; a NaN value compares false with
// everything, so a NaN row goes last and later rows pass over NaN rows as if they were not
// there. Text orders compare bytes (strcmp).
//
// The order is a list of blocks of up to BLOCK entries (slot and key: the atof value, or
// the first 16 bytes of the text), with a directory holding each block's count and its
// largest value or last key. Placing a row is a binary search over the directory and one
// over a block, then a short move within the block; few cache lines are touched even in
// orders of 100k rows, where a binary tree would miss the cache at every level.
//
// A text order may be deferred: then a link only stamps the slot with a store count, and
// Build sorts the stamped slots once, by text and, among equal texts, the slot stamped last
// first: the order the links would have made. A table defers the orders of columns that
// are seldom sorted by, and builds one when it is first read.
class SortedOrder {
  public:
    static constexpr uint32_t NIL = 0xFFFFFFFF;

    // Cell text of a slot in this order's column.
    class TextOf {
      public:
        using Reader = const char* (*)(const void* context, uint32_t slot, int column);
        TextOf(Reader reader, const void* context, int column)
            : m_reader(reader), m_context(context), m_column(column) {}
        const char* operator()(uint32_t slot) const { return m_reader(m_context, slot, m_column); }

      private:
        Reader m_reader;
        const void* m_context;
        int m_column;
    };

    explicit SortedOrder(bool numeric) : m_numeric(numeric) {}

    bool IsNumeric() const { return m_numeric; }
    // Switches the comparison; the present order is kept, keys are read again.
    void SetNumeric(bool numeric, const TextOf& textOf);

    bool IsLinked(uint32_t slot) const {
        return m_deferred ? slot < m_stamps.size() && m_stamps[slot] != 0 : BlockOf(slot) != NIL;
    }
    void Link(uint32_t slot, const char* text, const TextOf& textOf);
    void Unlink(uint32_t slot);
    // Empties the order; a deferred one stays deferred.
    void Clear();

    // Empties a text order and defers it; a numeric order stays as it is (the order of
    // NaN values depends on the order of the links, which stamps do not keep).
    void Defer();
    bool IsDeferred() const { return m_deferred; }
    // Builds a deferred order from its stamps; it is kept up to date from then on.
    void Build(const TextOf& textOf);

    // Of a deferred order, only Count and IsLinked answer; the walks need Build first.
    uint32_t Count() const { return m_count; }
    uint32_t First() const;
    uint32_t Last() const;
    uint32_t Nth(uint32_t n) const; // n-th smallest, NIL past the end
    uint32_t Next(uint32_t slot) const;
    uint32_t Prev(uint32_t slot) const;

  private:
    static constexpr uint32_t BLOCK = 128;

    // A key: the atof value (numeric orders) or the first 16 bytes of the text as two
    // big-endian numbers, zero-padded after the end (text orders).
    struct Key {
        uint64_t high = 0;
        uint64_t low = 0;
    };
    // The atof value a numeric order's key holds.
    static double ValueOf(const Key& key);

    struct Block {
        uint32_t count = 0;
        uint32_t nanCount = 0;             // numeric: entries whose value is NaN
        std::unique_ptr<uint32_t[]> slots; // BLOCK entries
        std::unique_ptr<uint64_t[]> keys;  // BLOCK entries of KeyWords() words
    };

    // Directory entry, in order: the block, its count and the slot of its last entry. The
    // bound of each block (its largest non-NaN value, NaN when it has none, or its last
    // key) is kept apart in m_bounds, so that a search reads a compact array.
    struct Summary {
        uint32_t block;
        uint32_t count;
        uint32_t lastSlot;
    };

    struct Place {
        uint32_t position; // directory position
        uint32_t index;    // entry within the block
    };

    uint32_t KeyWords() const { return m_numeric ? 1 : 2; }
    uint32_t BlockOf(uint32_t slot) const {
        return slot < m_blockOf.size() ? m_blockOf[slot] : NIL;
    }
    Key ReadKey(const char* text) const;
    Key EntryKey(const Block& block, uint32_t index) const;
    void SetEntry(Block& block, uint32_t index, uint32_t slot, const Key& key);
    int CompareText(const Key& visited, uint32_t visitedSlot, const Key& probe, const char* text,
                    const TextOf& textOf) const;
    bool AtOrAbove(const Key& visited, uint32_t visitedSlot, const Key& probe, const char* text,
                   const TextOf& textOf) const;
    Place FindPlace(const Key& probe, const char* text, const TextOf& textOf) const;
    uint32_t FirstBlockAtOrAbove(const Key& probe, const char* text, const TextOf& textOf) const;
    uint32_t FirstEntryAtOrAbove(const Block& block, const Key& probe, const char* text,
                                 const TextOf& textOf) const;
    Place Locate(uint32_t slot) const;
    uint32_t NewBlock();
    void InsertSummary(uint32_t position, uint32_t block);
    void EraseSummary(uint32_t position);
    void Refresh(uint32_t position);
    void InsertEntry(Place place, uint32_t slot, const Key& key);
    Place ShiftToNext(Place place);
    Place ShiftToPrevious(Place place);
    Place MakeRoom(Place place);
    Place SplitFor(Place place);
    void MoveEntries(Block& from, uint32_t first, uint32_t count, uint32_t toBlock,
                     uint32_t toIndex);
    void EraseEntry(Place place);
    void MergeWithNext(uint32_t position);
    void Append(uint32_t slot, const Key& key);

    bool m_numeric;
    uint32_t m_count = 0;
    uint32_t m_nanOnlyBlocks = 0;
    std::vector<Block> m_blocks;        // by block number
    std::vector<uint32_t> m_freeBlocks; // block numbers to reuse
    std::vector<uint32_t> m_positionOf; // block number -> directory position
    std::vector<Summary> m_directory;   // blocks in order
    std::vector<Key> m_bounds;          // per directory position
    std::vector<uint32_t> m_blockOf;    // slot -> block number, NIL when not linked
    bool m_deferred = false;
    std::vector<uint32_t> m_stamps; // deferred: slot -> store count of its link, 0 when none
    uint32_t m_lastStamp = 0;
};
