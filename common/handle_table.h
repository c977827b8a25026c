// A table of objects addressed by handles, the one behind every handle of the system:
// windows, menus, modules and GDI objects of the platform, and the host database's
// connections, tables and records.
//
// A handle value is (generation << IndexBits) | index and never 0: index 0 is unused and
// generations start at 1. Removing an object bumps its slot's generation, so every handle
// given out for the slot before is rejected. Freed slots are reused oldest first, so a
// slot comes back only after every other free slot did; a slot whose generation has run
// through all its values is retired for good instead of wrapping, so no stale handle can
// ever resolve again, however often one slot is reused.
//
// Value is a nullable pointer type (T*, std::unique_ptr<T>, std::shared_ptr<T>); the
// table holds it, so an owning pointer makes the table the owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace platform {

template <typename Value, unsigned IndexBits = 16, unsigned GenerationBits = 15> class HandleTable {
    static_assert(IndexBits + GenerationBits <= 8 * sizeof(uintptr_t), "handles overflow");

  public:
    static constexpr uintptr_t kIndexMask = (uintptr_t(1) << IndexBits) - 1;
    static constexpr uintptr_t kLastGeneration = (uintptr_t(1) << GenerationBits) - 1;

    // The handle of a new slot holding value; 0 when value is null or the table is full.
    uintptr_t Add(Value value) {
        if (!value) {
            return 0;
        }
        const uintptr_t index = TakeFreeIndex();
        if (index == 0) {
            return 0;
        }
        Slot& slot = m_slots[index];
        slot.value = std::move(value);
        ++m_live;
        return HandleOf(index);
    }

    // The slot's value for a live handle; nullptr for 0, a stale handle or garbage.
    Value* Find(uintptr_t handle) {
        const uintptr_t index = handle & kIndexMask;
        if (index == 0 || index >= m_slots.size()) {
            return nullptr;
        }
        Slot& slot = m_slots[index];
        return slot.value && HandleOf(index) == handle ? &slot.value : nullptr;
    }
    const Value* Find(uintptr_t handle) const {
        return const_cast<HandleTable*>(this)->Find(handle);
    }

    // A copy of the value of a live handle, or a null one (for copyable Value).
    Value Lookup(uintptr_t handle) const {
        const Value* value = Find(handle);
        return value ? *value : Value{};
    }

    // Frees the slot of a live handle and hands its value back (null when stale).
    Value Remove(uintptr_t handle) {
        Value* found = Find(handle);
        if (found == nullptr) {
            return Value{};
        }
        const uintptr_t index = handle & kIndexMask;
        Slot& slot = m_slots[index];
        Value value = std::move(*found);
        slot.value = Value{};
        --m_live;
        if (slot.generation == kLastGeneration) {
            slot.retired = true;
        } else {
            ++slot.generation;
            m_free.push_back(index);
        }
        return value;
    }

    // Calls f(handle, value) for every live slot in index order.
    template <typename F> void ForEach(F f) const {
        for (uintptr_t index = 1; index < m_slots.size(); ++index) {
            if (m_slots[index].value) {
                f(HandleOf(index), m_slots[index].value);
            }
        }
    }

    size_t Count() const { return m_live; }

  private:
    struct Slot {
        Value value{};
        uintptr_t generation = 1;
        bool retired = false;
    };

    uintptr_t HandleOf(uintptr_t index) const {
        return (m_slots[index].generation << IndexBits) | index;
    }

    uintptr_t TakeFreeIndex() {
        if (m_slots.empty()) {
            m_slots.resize(1); // index 0 is never used: handle 0 is NULL
        }
        if (!m_free.empty()) {
            const uintptr_t index = m_free.front();
            m_free.pop_front();
            return index;
        }
        if (m_slots.size() > kIndexMask) {
            return 0;
        }
        m_slots.emplace_back();
        return m_slots.size() - 1;
    }

    std::vector<Slot> m_slots;
    std::deque<uintptr_t> m_free;
    size_t m_live = 0;
};

} // namespace platform
