// The module's entry point, looked up by name by the plug-in.
#include "hostapi/convert_mapped_address.h"
#include "host/parlance/name_converter.h"

extern "C" __attribute__((visibility("default"))) int
ConvertMappedAddress(int command, uintptr_t, uint32_t* slot, const char* address, char*, uintptr_t,
                     uintptr_t, uintptr_t, uintptr_t, uintptr_t, OnNameConvertedProc callback,
                     intptr_t row) {
    NameConverter& converter = NameConverter::Instance();
    switch (command) {
    case CONVERT_REGISTER:
        return converter.Register(slot);
    case CONVERT_REQUEST:
        return converter.Request(slot, address, callback, row);
    case CONVERT_UNREGISTER:
        return converter.Unregister(slot);
    default:
        return 0;
    }
}
