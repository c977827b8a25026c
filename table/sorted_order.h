#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The ascending order of one column's rows, as a balanced tree over row slots.
//
// A new value goes before the first row, counted from the smallest, whose value is greater
// than or equal to it, or last when there is none: among equal values the row stored last
// comes first. Numeric orders compare atof values; a NaN value compares false with
// everything, so a NaN row goes last and later rows pass over NaN rows as if they were not
// there. Text orders compare bytes (strcmp).
//
// Each node carries its subtree size (for n-th lookups and ranks) and, in numeric orders,
// the largest non-NaN value of its subtree, which finds the first row at or above a value
// in O(log n) even with NaN rows interleaved. Balance is kept by rebuilding the highest
// subtree that a change left out of weight balance (amortised O(log n) per change).
class SortedOrder {
  public:
    static constexpr uint32_t NIL = 0xFFFFFFFF;

    // Cell text of a slot in this order's column.
    struct TextOf {
        const char* (*fn)(const void* context, uint32_t slot, int column);
        const void* context;
        int column;
        const char* operator()(uint32_t slot) const { return fn(context, slot, column); }
    };

    explicit SortedOrder(bool numeric) : m_numeric(numeric) {}

    bool IsNumeric() const { return m_numeric; }
    // Switches the comparison; the present order is kept, values are read again.
    void SetNumeric(bool numeric, const TextOf& textOf);

    bool IsLinked(uint32_t slot) const { return slot < m_nodes.Size() && m_nodes[slot].size != 0; }
    void Link(uint32_t slot, const char* text, const TextOf& textOf);
    void Unlink(uint32_t slot);
    void Clear();

    uint32_t Count() const { return m_root == NIL ? 0 : m_nodes[m_root].size; }
    uint32_t First() const { return m_first; }
    uint32_t Last() const { return m_last; }
    uint32_t Nth(uint32_t n) const; // n-th smallest, NIL past the end
    uint32_t Next(uint32_t slot) const;
    uint32_t Prev(uint32_t slot) const;
    uint32_t Rank(uint32_t slot) const;

  private:
    // 32 bytes, so that a step of a search touches one cache line. Numeric orders keep the
    // atof value of the stored text and the largest non-NaN value of the subtree; text
    // orders keep the first 16 bytes of the text (see TextPrefix).
    struct Node {
        uint32_t left = NIL;
        uint32_t right = NIL;
        uint32_t parent = NIL;
        uint32_t size = 0; // 0: not linked
        union {
            double value;
            uint64_t prefix;
        };
        union {
            double max;
            uint64_t prefix2;
        };
        Node() : value(0), max(0) {}
    };

    // Slot-indexed storage in fixed chunks: grows without copying and wastes at most one chunk.
    template <class T> class ChunkedArray {
      public:
        static constexpr uint32_t CHUNK = 4096;
        T& operator[](uint32_t i) { return m_chunks[i / CHUNK][i % CHUNK]; }
        const T& operator[](uint32_t i) const { return m_chunks[i / CHUNK][i % CHUNK]; }
        uint32_t Size() const { return static_cast<uint32_t>(m_chunks.size()) * CHUNK; }
        void Cover(uint32_t i) {
            while (i >= Size())
                m_chunks.push_back(std::make_unique<T[]>(CHUNK));
        }
        void Clear() { m_chunks.clear(); }

      private:
        std::vector<std::unique_ptr<T[]>> m_chunks;
    };

    uint32_t Size(uint32_t n) const { return n == NIL ? 0 : m_nodes[n].size; }
    double MaxOf(uint32_t n) const;
    void Update(uint32_t n);
    uint32_t FirstAtOrAbove(const Node& probe, const char* text, const TextOf& textOf) const;
    int CompareText(uint32_t n, const char* text, const Node& probe, const TextOf& textOf) const;
    void ReadKey(Node& node, const char* text) const;
    uint32_t Leftmost(uint32_t n) const;
    uint32_t Rightmost(uint32_t n) const;
    void InsertBefore(uint32_t slot, uint32_t before);
    void Replace(uint32_t old, uint32_t with);
    void FixUpward(uint32_t n);
    void RebuildSubtree(uint32_t top);
    uint32_t BuildBalanced(size_t lo, size_t hi, uint32_t parent);

    bool m_numeric;
    uint32_t m_root = NIL;
    uint32_t m_first = NIL;
    uint32_t m_last = NIL;
    ChunkedArray<Node> m_nodes;
    std::vector<uint32_t> m_scratch;
};
