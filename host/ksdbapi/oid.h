// An SNMP object identifier: a sequence of 32-bit arcs with the vector operations the host
// library uses. Every variable binding of every answer holds one, so identifiers of up to
// kInlineArcs arcs live inside the object and only longer ones go to the heap.
#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>

namespace ksdb {

class Oid {
  public:
    using value_type = uint32_t;
    using size_type = size_t;
    using difference_type = ptrdiff_t;
    using reference = uint32_t&;
    using const_reference = const uint32_t&;
    using pointer = uint32_t*;
    using const_pointer = const uint32_t*;
    using iterator = uint32_t*;
    using const_iterator = const uint32_t*;

    // Matrix instance identifiers take 26 arcs (entry, column, index, two length-prefixed
    // addresses). 32 inline arcs with a heap fallback walked as fast as a fixed 128 (the
    // most SNMP allows) in the walk benchmark, at a quarter of the size of each binding;
    // the fallback also keeps identifiers parsed from text of any length.
    static constexpr size_t kInlineArcs = 32;

    Oid() noexcept {}
    Oid(std::initializer_list<uint32_t> arcs) { assign(arcs.begin(), arcs.end()); }
    template <std::input_iterator It> Oid(It first, It last) { assign(first, last); }
    Oid(const Oid& other) { assign(other.begin(), other.end()); }
    Oid(Oid&& other) noexcept { Take(other); }
    ~Oid() { Release(); }

    Oid& operator=(const Oid& other) {
        if (this != &other) {
            assign(other.begin(), other.end());
        }
        return *this;
    }
    Oid& operator=(Oid&& other) noexcept {
        if (this != &other) {
            Release();
            Take(other);
        }
        return *this;
    }
    Oid& operator=(std::initializer_list<uint32_t> arcs) {
        assign(arcs.begin(), arcs.end());
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }
    uint32_t* data() { return OnHeap() ? m_heap : m_inline; }
    const uint32_t* data() const { return OnHeap() ? m_heap : m_inline; }
    iterator begin() { return data(); }
    iterator end() { return data() + m_size; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + m_size; }
    uint32_t& operator[](size_t i) { return data()[i]; }
    const uint32_t& operator[](size_t i) const { return data()[i]; }
    uint32_t& front() { return data()[0]; }
    const uint32_t& front() const { return data()[0]; }
    uint32_t& back() { return data()[m_size - 1]; }
    const uint32_t& back() const { return data()[m_size - 1]; }

    void clear() { m_size = 0; }
    void reserve(size_t arcs) {
        if (arcs > m_capacity) {
            Grow(arcs);
        }
    }
    void resize(size_t arcs, uint32_t arc = 0) {
        reserve(arcs);
        if (arcs > m_size) {
            std::fill(data() + m_size, data() + arcs, arc);
        }
        m_size = static_cast<uint32_t>(arcs);
    }
    void push_back(uint32_t arc) {
        if (m_size == m_capacity) {
            Grow(size_t{m_capacity} * 2);
        }
        data()[m_size++] = arc;
    }
    void pop_back() { --m_size; }

    template <std::input_iterator It> void assign(It first, It last) {
        clear();
        insert(end(), first, last);
    }
    void assign(std::initializer_list<uint32_t> arcs) { assign(arcs.begin(), arcs.end()); }

    template <std::input_iterator It> iterator insert(const_iterator at, It first, It last) {
        const size_t offset = static_cast<size_t>(at - begin());
        if constexpr (std::forward_iterator<It>) {
            const size_t count = static_cast<size_t>(std::distance(first, last));
            reserve(m_size + count);
            uint32_t* place = data() + offset;
            std::memmove(place + count, place, (m_size - offset) * sizeof(uint32_t));
            std::transform(first, last, place,
                           [](const auto& arc) { return static_cast<uint32_t>(arc); });
            m_size += static_cast<uint32_t>(count);
        } else {
            for (size_t i = offset; first != last; ++first, ++i) {
                insert(begin() + i, {static_cast<uint32_t>(*first)});
            }
        }
        return begin() + offset;
    }
    iterator insert(const_iterator at, std::initializer_list<uint32_t> arcs) {
        return insert(at, arcs.begin(), arcs.end());
    }

    friend bool operator==(const Oid& a, const Oid& b) {
        return a.m_size == b.m_size &&
               std::memcmp(a.data(), b.data(), a.m_size * sizeof(uint32_t)) == 0;
    }
    friend std::strong_ordering operator<=>(const Oid& a, const Oid& b) {
        return std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    bool OnHeap() const { return m_capacity > kInlineArcs; }

    void Grow(size_t arcs) {
        auto* heap = new uint32_t[arcs];
        std::memcpy(heap, data(), m_size * sizeof(uint32_t));
        Release();
        m_heap = heap;
        m_capacity = static_cast<uint32_t>(arcs);
    }
    void Release() {
        if (OnHeap()) {
            delete[] m_heap;
        }
        m_capacity = kInlineArcs;
    }
    // Leaves `other` empty and inline.
    void Take(Oid& other) {
        m_size = other.m_size;
        m_capacity = other.m_capacity;
        if (other.OnHeap()) {
            m_heap = other.m_heap;
        } else {
            std::memcpy(m_inline, other.m_inline, m_size * sizeof(uint32_t));
        }
        other.m_size = 0;
        other.m_capacity = kInlineArcs;
    }

    union {
        uint32_t m_inline[kInlineArcs];
        uint32_t* m_heap;
    };
    uint32_t m_size = 0;
    uint32_t m_capacity = kInlineArcs;
};

} // namespace ksdb
