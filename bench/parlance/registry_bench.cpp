// Reading the IEEE registry, against the baseline of only reading its files' bytes, and
// the heap the loaded registry holds; one name lookup once everything is loaded.
#include "host/parlance/name_resolver.h"
#include "host/parlance/oui_registry.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

const char* const kRegistry = "/usr/share/ieee-data";

void BM_ReadRegistryBytes(benchmark::State& state) {
    for (auto _ : state) {
        size_t bytes = 0;
        for (const char* name : {"oui.txt", "mam.txt", "oui36.txt"}) {
            std::ifstream file(std::string(kRegistry) + "/" + name,
                               std::ios::binary | std::ios::ate);
            std::string text(size_t(file.tellg()), '\0');
            file.seekg(0);
            file.read(text.data(), std::streamsize(text.size()));
            bytes += size_t(file.gcount());
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadRegistryBytes)->Unit(benchmark::kMillisecond);

// The heap in use, large blocks the allocator maps apart included.
size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_LoadRegistry(benchmark::State& state) {
    for (auto _ : state) {
        OuiRegistry registry;
        benchmark::DoNotOptimize(registry.Load(kRegistry));
    }
    const size_t before = HeapInUse();
    OuiRegistry registry;
    const size_t blocks = registry.Load(kRegistry);
    const size_t held = HeapInUse() - before;
    state.counters["heap_bytes"] = static_cast<double>(held);
    state.counters["bytes_per_block"] = static_cast<double>(held) / static_cast<double>(blocks);
}
BENCHMARK(BM_LoadRegistry)->Unit(benchmark::kMillisecond);

// The registry's own lookup over addresses of common vendors' blocks (MA-L, and MA-S under
// an MA-L that has thousands), and addresses in no block: 64 lookups an iteration.
void BM_FindVendor(benchmark::State& state) {
    const uint64_t prefixes[] = {0x00a0c9, 0x00000c, 0x001b21, 0x3cfdfe, 0xb827eb, 0x000393,
                                 0x005056, 0x0017a4, 0x70b3d5, 0x70b3d5, 0x001422, 0x02a0c9,
                                 0x123456, 0xf2a0c9, 0x0abcde, 0x5e1234};
    std::vector<uint64_t> addresses;
    uint64_t low = 0x123456;
    for (int i = 0; i < 64; ++i) {
        low = (low * 1103515245 + 12345) & 0xffffff;
        addresses.push_back(prefixes[i % 16] << 24 | low);
    }
    OuiRegistry registry;
    registry.Load(kRegistry);
    for (auto _ : state) {
        for (uint64_t address : addresses) {
            benchmark::DoNotOptimize(registry.Find(address));
        }
    }
}
BENCHMARK(BM_FindVendor);

void BM_VendorName(benchmark::State& state) {
    NameResolver resolver("/nonexistent/ethers", kRegistry);
    resolver.Name("00 A0 C9 12 34 56");
    for (auto _ : state) {
        benchmark::DoNotOptimize(resolver.Name("70 B3 D5 F2 F1 23"));
    }
}
BENCHMARK(BM_VendorName);

} // namespace
