// ethers files as the name-conversion module reads them: every address read is found
// again, and a parsed address fits in 48 bits.
#include "host/parlance/ethers_file.h"
#include "fuzz/fuzz_input.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EthersFile ethers;
    if (!ethers.Load(InputFile(data, size, "ethers"))) {
        abort();
    }
    uint64_t address = 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (EthersFile::ParseAddress(text, address) && (address >> 48) != 0) {
        abort();
    }
    return 0;
}
