// Compiled message catalogs (.mo) as Localize loads them: a file that is not a whole
// catalog is refused, and lookups of any text are safe.
#include "host/ksmem32/mo_catalog.h"
#include "fuzz/fuzz_input.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MoCatalog catalog;
    const bool loaded = catalog.Load(InputFile(data, size, "catalog.mo"));
    if (!loaded && catalog.Size() != 0) {
        abort();
    }
    catalog.Find(std::string_view(reinterpret_cast<const char*>(data), size));
    catalog.Find("Unknown Device");
    return 0;
}
