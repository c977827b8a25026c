// The counting path of rmonprobe on one thread: the counting rules of a frame, then its pair's
// counters and recency (PairCollector), for frames spread over 1,000 to 20,000 ordered pairs
// in a table of 10,000 (20,000 pairs: every new pair deletes the least recently used one).
// Baseline in the same run: the counting rules alone. items_per_second is frames a second.
// The whole replay, from a file through the agent, is bench/probe/rmonprobe_bench.py.
#include "probe/ethernet_frame.h"
#include "probe/matrix_table.h"
#include "probe/pair_collector.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr size_t kFrames = 1 << 16;
constexpr size_t kTableSize = 10000;
constexpr uint32_t kSnap = 64;

struct Frames {
    std::vector<uint8_t> bytes; // kSnap bytes a frame
    std::vector<uint32_t> lengths;
};

Frames MakeFrames(size_t pairs) {
    std::mt19937 random(3);
    Frames frames;
    frames.bytes.resize(kFrames * kSnap);
    frames.lengths.resize(kFrames);
    for (size_t i = 0; i < kFrames; ++i) {
        uint32_t pair = uint32_t(random() % pairs);
        uint8_t* frame = &frames.bytes[i * kSnap];
        const uint8_t header[14] = {0x00, 0xA0, 0xC9, 0x20, uint8_t(pair >> 8),  uint8_t(pair),
                                    0x00, 0xA0, 0xC9, 0x10, uint8_t(pair >> 16), uint8_t(pair & 7),
                                    0x08, 0x00};
        std::copy(std::begin(header), std::end(header), frame);
        frames.lengths[i] = 60 + random() % 1455;
    }
    return frames;
}

void BM_CountingRules(benchmark::State& state) {
    Frames frames = MakeFrames(size_t(state.range(0)));
    probe::FrameCount count;
    size_t i = 0;
    for (auto _ : state) {
        probe::CountFrame(&frames.bytes[i * kSnap], kSnap, frames.lengths[i], {}, count);
        benchmark::DoNotOptimize(count);
        i = (i + 1) % kFrames;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_CountIntoTable(benchmark::State& state) {
    Frames frames = MakeFrames(size_t(state.range(0)));
    probe::MatrixTable table;
    table.SetControl(1, {});
    probe::PairCollector collector(table, 1, kTableSize, [] { return 0u; });
    probe::FrameCount count;
    size_t i = 0;
    for (auto _ : state) {
        probe::CountFrame(&frames.bytes[i * kSnap], kSnap, frames.lengths[i], {}, count);
        collector.Count(count);
        i = (i + 1) % kFrames;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["conversations"] = double(collector.Size());
}

BENCHMARK(BM_CountingRules)->Arg(1000);
BENCHMARK(BM_CountIntoTable)->Arg(1000)->Arg(10000)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
