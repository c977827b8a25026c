#include "platform/framework/cmd_target.h"

#include "platform/core/win32_constants.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

namespace {

// WM_COMMAND matches on the notification code and a range of ids, WM_NOTIFY on the code
// and the sender's id; every other message on the message alone.
bool EntryMatches(const AFX_MSGMAP_ENTRY& entry, UINT message, WPARAM wParam, LPARAM lParam) {
    if (entry.nMessage != message) {
        return false;
    }
    if (message == WM_COMMAND) {
        UINT id = LOWORD(wParam);
        return entry.nCode == HIWORD(wParam) && id >= entry.nID && id <= entry.nLastID;
    }
    if (message == WM_NOTIFY && entry.nID != 0) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == nullptr) {
            return false;
        }
        return entry.nCode == header->code && header->idFrom >= entry.nID &&
               header->idFrom <= entry.nLastID;
    }
    return true;
}

} // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, WPARAM wParam,
                                                     LPARAM lParam) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap == nullptr ? nullptr : map->pfnGetBaseMap()) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnCracker != nullptr;
             ++entry) {
            if (EntryMatches(*entry, message, wParam, lParam)) {
                return entry;
            }
        }
    }
    return nullptr;
}
