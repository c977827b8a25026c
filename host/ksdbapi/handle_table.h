// Objects behind 32-bit handles. A handle packs a kind (bits 30-31), a generation
// (bits 20-29) and a slot index (bits 0-19); removing an object bumps its slot's
// generation, so a stale handle no longer resolves. Handles are never 0.
#pragma once

#include "hostapi/ksdbapi.h"

#include <memory>
#include <vector>

namespace ksdb {

template <typename T> class HandleTable {
  public:
    explicit HandleTable(uint32_t kind) : m_kind(kind) {}

    DbHandle Add(std::unique_ptr<T> object) {
        uint32_t index;
        if (!m_free.empty()) {
            index = m_free.back();
            m_free.pop_back();
        } else if (m_slots.size() < kIndexMask) {
            index = static_cast<uint32_t>(m_slots.size());
            m_slots.emplace_back();
        } else {
            return 0;
        }
        m_slots[index].object = std::move(object);
        return HandleOf(index);
    }

    T* Find(DbHandle handle) const {
        uint32_t index = handle & kIndexMask;
        if (handle >> 30 != m_kind || index >= m_slots.size())
            return nullptr;
        const Slot& slot = m_slots[index];
        return slot.object && HandleOf(index) == handle ? slot.object.get() : nullptr;
    }

    std::unique_ptr<T> Remove(DbHandle handle) {
        if (!Find(handle))
            return nullptr;
        uint32_t index = handle & kIndexMask;
        Slot& slot = m_slots[index];
        slot.generation = (slot.generation + 1) & kGenerationMask;
        m_free.push_back(index);
        return std::move(slot.object);
    }

    // Handles of every live object, in slot order.
    std::vector<DbHandle> Handles() const {
        std::vector<DbHandle> handles;
        for (uint32_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i].object)
                handles.push_back(HandleOf(i));
        return handles;
    }

  private:
    static constexpr uint32_t kIndexMask = (1u << 20) - 1;
    static constexpr uint32_t kGenerationMask = (1u << 10) - 1;

    struct Slot {
        uint32_t generation = 0;
        std::unique_ptr<T> object;
    };

    DbHandle HandleOf(uint32_t index) const {
        return m_kind << 30 | m_slots[index].generation << 20 | index;
    }

    uint32_t m_kind;
    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_free;
};

} // namespace ksdb
