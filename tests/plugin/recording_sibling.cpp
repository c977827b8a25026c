// A stand-in for the conversion module that records every call it gets.
#include "hostapi/convert_mapped_address.h"

#include <stddef.h>
#include <vector>

namespace {

struct Call {
    int command;
    uint32_t* slot;
    OnNameConvertedProc callback;
};

std::vector<Call> g_calls;

} // namespace

extern "C" __attribute__((visibility("default"))) int
ConvertMappedAddress(int command, uintptr_t, uint32_t* slot, const char*, char*, uintptr_t,
                     uintptr_t, uintptr_t, uintptr_t, uintptr_t, OnNameConvertedProc callback,
                     intptr_t) {
    g_calls.push_back({command, slot, callback});
    return 1;
}

// The commands received so far, oldest first; -1 past the end.
extern "C" __attribute__((visibility("default"))) int RecordedCommand(int index) {
    return index < static_cast<int>(g_calls.size()) ? g_calls[static_cast<size_t>(index)].command
                                                    : -1;
}

// Whether every call so far passed the same slot and a callback.
extern "C" __attribute__((visibility("default"))) int RecordedCallsConsistent() {
    for (const Call& call : g_calls) {
        if (call.slot != g_calls.front().slot || call.callback == nullptr) {
            return 0;
        }
    }
    return 1;
}

extern "C" __attribute__((visibility("default"))) void ClearRecordedCommands() {
    g_calls.clear();
}
