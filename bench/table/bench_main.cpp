// The main of bench_table: runs the benchmarks, then releases what they kept for the whole
// run while the application still lives. Left to the destructors of statics, a window would
// be destroyed after Qt's own statics and crash the program on its way out.
#include "bench/table/bench_main.h"

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::function<void()>>& Releases() {
    static std::vector<std::function<void()>> releases;
    return releases;
}

} // namespace

void ReleaseAtEnd(std::function<void()> release) {
    Releases().push_back(std::move(release));
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    while (!Releases().empty()) {
        std::function<void()> release = std::move(Releases().back());
        Releases().pop_back();
        release();
    }
    return 0;
}
