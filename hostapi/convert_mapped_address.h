// The address-to-name conversion module's entry point, looked up by name at run
// time. Implemented by libparlance (host/parlance).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    CONVERT_REGISTER = 1,
    CONVERT_REQUEST = 2,
    CONVERT_UNREGISTER = 4,
};

// Size of the scratch buffer passed with CONVERT_REQUEST.
enum { CONVERT_SCRATCH_SIZE = 260 };

// Name callback: the address that was asked for, its name, the caller's row. Returns 1.
typedef int (*OnNameConvertedProc)(const char* address, const char* name, intptr_t row);

// Twelve arguments: command, 0, the caller's slot, address text (CONVERT_REQUEST),
// scratch buffer (CONVERT_REQUEST), five zeros, the callback, the row (CONVERT_REQUEST).
// The slot identifies the caller: requests are answered only while it is registered.
typedef int (*ConvertMappedAddressProc)(int command, uintptr_t reserved2, uint32_t* slot,
                                        const char* address, char* scratch, uintptr_t reserved6,
                                        uintptr_t reserved7, uintptr_t reserved8,
                                        uintptr_t reserved9, uintptr_t reserved10,
                                        OnNameConvertedProc callback, intptr_t row);

#define CONVERT_MAPPED_ADDRESS_NAME "ConvertMappedAddress"

#ifdef __cplusplus
}
#endif
