// Objects behind 32-bit host database handles, on the system's one handle table
// (common/handle_table.h). A handle packs a kind (bits 30-31: connection, table view,
// record), a generation (bits 16-29) and a slot index (bits 0-15): a handle of one kind is
// never taken for another, a stale one never resolves, and handles are never 0.
#pragma once

#include "common/handle_table.h"
#include "hostapi/ksdbapi.h"

#include <memory>
#include <vector>

namespace ksdb {

template <typename T> class HandleTable {
  public:
    explicit HandleTable(uint32_t kind) : m_kind(kind) {}

    DbHandle Add(std::unique_ptr<T> object) {
        const uintptr_t slot = m_slots.Add(std::move(object));
        return slot == 0 ? 0 : static_cast<DbHandle>(m_kind << kKindShift | slot);
    }

    T* Find(DbHandle handle) const {
        const std::unique_ptr<T>* object = m_slots.Find(SlotOf(handle));
        return handle >> kKindShift == m_kind && object ? object->get() : nullptr;
    }

    std::unique_ptr<T> Remove(DbHandle handle) {
        if (Find(handle) == nullptr) {
            return nullptr;
        }
        return m_slots.Remove(SlotOf(handle));
    }

    size_t Count() const { return m_slots.Count(); }

    // Handles of every live object, in slot order.
    std::vector<DbHandle> Handles() const {
        std::vector<DbHandle> handles;
        m_slots.ForEach([this, &handles](uintptr_t slot, const std::unique_ptr<T>&) {
            handles.push_back(static_cast<DbHandle>(m_kind << kKindShift | slot));
        });
        return handles;
    }

  private:
    static constexpr uint32_t kKindShift = 30;

    static uintptr_t SlotOf(DbHandle handle) { return handle & ((1u << kKindShift) - 1); }

    uint32_t m_kind;
    platform::HandleTable<std::unique_ptr<T>, 16, 14> m_slots;
};

} // namespace ksdb
