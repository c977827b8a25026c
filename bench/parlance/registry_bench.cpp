// Reading the IEEE registry, against the baseline of only reading its files' bytes; and
// one name lookup once everything is loaded.
#include "host/parlance/name_resolver.h"
#include "host/parlance/oui_registry.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

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

void BM_LoadRegistry(benchmark::State& state) {
    for (auto _ : state) {
        OuiRegistry registry;
        benchmark::DoNotOptimize(registry.Load(kRegistry));
    }
}
BENCHMARK(BM_LoadRegistry)->Unit(benchmark::kMillisecond);

void BM_VendorName(benchmark::State& state) {
    NameResolver resolver("/nonexistent/ethers", kRegistry);
    resolver.Name("00 A0 C9 12 34 56");
    for (auto _ : state) {
        benchmark::DoNotOptimize(resolver.Name("70 B3 D5 F2 F1 23"));
    }
}
BENCHMARK(BM_VendorName);

} // namespace
