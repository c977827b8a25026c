// The capture thread of a probe: reads frames from a CaptureSource, applies the counting
// rules outside any lock, and hands them to a PairCollector and the interface's
// EtherStatistics in batches, each under the table's lock. A batch is handed on when it is
// full or when a live capture has nothing more ready, so a quiet link's frames show at once. The
// lock is held only while a batch's counters are added (a few microseconds), so answering waits at
// most that long; the agent never holds it while it sends, so a slow manager does not hold counting
// up, and frames wait in libpcap's buffer meanwhile. A file can be replayed at its recorded pace or
// as fast as it can be read.
#pragma once

#include "probe/capture_source.h"
#include "probe/ether_statistics.h"
#include "probe/ethernet_frame.h"
#include "probe/pair_collector.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace probe {

class CaptureLoop {
  public:
    enum class State { kRunning, kEnded, kFailed };

    struct Statistics {
        uint64_t frames = 0;    // frames read
        uint64_t uncounted = 0; // frames too short to name a MAC pair (in the statistics only)
        double seconds = 0;     // wall time from the first read to the end
        double cpuSeconds = 0;  // CPU time of the capture thread over the same span
    };

    // `collector`, `statistics` and `guard` outlive the loop; `guard` is held while the
    // loop writes to the other two. `paced`: a file plays at its recorded pace.
    CaptureLoop(std::unique_ptr<CaptureSource> source, const CountingRules& rules,
                PairCollector& collector, EtherStatistics& statistics, std::mutex& guard,
                bool paced);
    ~CaptureLoop(); // stops the thread

    void Start();
    void Stop();
    State Current() const { return m_state.load(); }
    // Valid once the state is no longer kRunning.
    const Statistics& Totals() const { return m_totals; }
    const std::string& Error() const { return m_error; }

  private:
    static constexpr size_t kBatch = 256;

    void Run();
    // Reads up to a batch: kFrame when it is full, kIdle when a live capture had no more
    // frames ready, else the end or failure of the source.
    CaptureSource::Result ReadBatch(FrameCount* batch, size_t& count);
    void WaitUntilDue(int64_t microseconds);
    void Apply(const FrameCount* batch, size_t count);

    std::unique_ptr<CaptureSource> m_source;
    CountingRules m_rules;
    PairCollector& m_collector;
    EtherStatistics& m_statistics;
    uint32_t m_drops = 0; // the source's drops already added to m_statistics
    std::mutex& m_guard;
    bool m_paced;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<State> m_state{State::kRunning};
    Statistics m_totals;
    std::string m_error;
    int64_t m_firstFrame = -1;                           // capture time, microseconds
    std::chrono::steady_clock::time_point m_replayStart; // when the first frame was read
};

} // namespace probe
