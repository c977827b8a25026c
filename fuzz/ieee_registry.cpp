// The IEEE registry files as the name-conversion module reads them: the input is served
// as each of oui.txt, mam.txt and oui36.txt; every block found names a short vendor.
#include "fuzz/fuzz_input.h"
#include "host/parlance/oui_registry.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Every vendor name the registry holds is 1 to 8 letters or digits (empty: no block).
void CheckName(std::string_view name) {
    if (name.size() > 8) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const char* file : {"oui.txt", "mam.txt", "oui36.txt"}) {
        InputFile(data, size, file);
    }
    OuiRegistry registry;
    registry.Load(FuzzFolder());
    // Addresses from the input's first bytes, and the extremes.
    uint64_t address = 0;
    memcpy(&address, data, std::min<size_t>(size, 6));
    for (uint64_t probe : {address, uint64_t(0), uint64_t(0xFFFFFFFFFFFF)}) {
        CheckName(registry.Find(probe));
    }
    return 0;
}
