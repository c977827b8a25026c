// A table of objects addressed by handles. A handle value is (generation << 16) | index,
// never 0 and below 2^31; freeing a slot bumps its generation so that every handle given
// out for it before is rejected by Lookup. Freed slots are reused oldest first, which
// keeps a slot's generation from wrapping back for as long as possible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace platform {

template <typename T> class HandleTable {
  public:
    static constexpr uint32_t kIndexBits = 16;
    static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
    static constexpr uint32_t kGenerationMask = 0x7fff;

    // The handle of a new slot holding object, or 0 when the table is full.
    uintptr_t Add(T* object) {
        uint32_t index = TakeFreeIndex();
        if (index == 0)
            return 0;
        Slot& slot = m_slots[index];
        slot.object = object;
        return (uintptr_t(slot.generation) << kIndexBits) | index;
    }

    // The object of a live handle, nullptr for 0, a stale handle or garbage.
    T* Lookup(uintptr_t handle) const {
        uint32_t index = uint32_t(handle & kIndexMask);
        uintptr_t generation = handle >> kIndexBits;
        if (index == 0 || index >= m_slots.size())
            return nullptr;
        const Slot& slot = m_slots[index];
        if (slot.object == nullptr || slot.generation != generation)
            return nullptr;
        return slot.object;
    }

    // Frees the slot of a live handle and answers its object (nullptr if none).
    T* Remove(uintptr_t handle) {
        T* object = Lookup(handle);
        if (object == nullptr)
            return nullptr;
        uint32_t index = uint32_t(handle & kIndexMask);
        Slot& slot = m_slots[index];
        slot.object = nullptr;
        slot.generation = NextGeneration(slot.generation);
        m_free.push_back(index);
        return object;
    }

    // Calls f(handle, object) for every live slot in index order.
    template <typename F> void ForEach(F f) const {
        for (uint32_t index = 1; index < m_slots.size(); ++index) {
            const Slot& slot = m_slots[index];
            if (slot.object != nullptr)
                f((uintptr_t(slot.generation) << kIndexBits) | index, slot.object);
        }
    }

    size_t Count() const { return m_slots.empty() ? 0 : m_slots.size() - 1 - m_free.size(); }

  private:
    struct Slot {
        T* object = nullptr;
        uint32_t generation = 1;
    };

    static uint32_t NextGeneration(uint32_t generation) {
        uint32_t next = (generation + 1) & kGenerationMask;
        return next == 0 ? 1 : next;
    }

    uint32_t TakeFreeIndex() {
        if (m_slots.empty())
            m_slots.resize(1); // index 0 is never used: handle 0 is NULL
        if (!m_free.empty()) {
            uint32_t index = m_free.front();
            m_free.pop_front();
            return index;
        }
        if (m_slots.size() > kIndexMask)
            return 0;
        m_slots.emplace_back();
        return uint32_t(m_slots.size() - 1);
    }

    std::vector<Slot> m_slots;
    std::deque<uint32_t> m_free;
};

} // namespace platform
