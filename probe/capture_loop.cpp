#include "probe/capture_loop.h"

#include <algorithm>
#include <ctime>

namespace probe {
namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

CaptureLoop::CaptureLoop(std::unique_ptr<CaptureSource> source, const CountingRules& rules,
                         PairCollector& collector, EtherStatistics& statistics, std::mutex& guard,
                         bool paced)
    : m_source(std::move(source)), m_rules(rules), m_collector(collector), m_statistics(statistics),
      m_guard(guard), m_paced(paced && !m_source->Live()) {}

CaptureLoop::~CaptureLoop() {
    Stop();
}

void CaptureLoop::Start() {
    m_thread = std::thread([this] { Run(); });
}

void CaptureLoop::Stop() {
    m_stop = true;
    m_source->Stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CaptureLoop::Run() {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    FrameCount batch[kBatch];
    size_t count = 0;
    CaptureSource::Result last = CaptureSource::Result::kFrame;
    while (!m_stop &&
           (last == CaptureSource::Result::kFrame || last == CaptureSource::Result::kIdle)) {
        // A part batch is counted as soon as the capture has nothing more ready, so every
        // frame is visible within the kernel's hand-on interval and one wait.
        if (last == CaptureSource::Result::kIdle) {
            m_source->Wait();
        }
        last = ReadBatch(batch, count);
        Apply(batch, count);
    }
    m_totals.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_totals.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    m_state = m_error.empty() ? State::kEnded : State::kFailed;
}

CaptureSource::Result CaptureLoop::ReadBatch(FrameCount* batch, size_t& count) {
    count = 0;
    CapturedFrame frame;
    while (count < kBatch) {
        const CaptureSource::Result result = m_source->Next(frame);
        if (result == CaptureSource::Result::kError) {
            m_error = m_source->Error();
        }
        if (result != CaptureSource::Result::kFrame) {
            return result;
        }
        ++m_totals.frames;
        if (m_paced) {
            // Counted frames go in before the wait, so that answers meanwhile include them.
            Apply(batch, count);
            count = 0;
            WaitUntilDue(frame.microseconds);
        }
        if (!CountFrame(frame.data, frame.captured, frame.length, m_rules, batch[count])) {
            ++m_totals.uncounted;
        }
        ++count;
    }
    return CaptureSource::Result::kFrame;
}

// Sleeps until the frame's time after the first frame has passed since the replay began,
// in short steps so that Stop is not held up by a long pause in the file.
void CaptureLoop::WaitUntilDue(int64_t microseconds) {
    if (m_firstFrame < 0) {
        m_firstFrame = microseconds;
        m_replayStart = std::chrono::steady_clock::now();
        return;
    }
    const auto due = m_replayStart + std::chrono::microseconds(microseconds - m_firstFrame);
    const auto step = std::chrono::milliseconds(100);
    while (!m_stop && std::chrono::steady_clock::now() < due) {
        std::this_thread::sleep_until(std::min(due, std::chrono::steady_clock::now() + step));
    }
}

void CaptureLoop::Apply(const FrameCount* batch, size_t count) {
    const uint32_t drops = m_source->Drops();
    std::lock_guard<std::mutex> lock(m_guard);
    // A reopened capture counts its drops from 0 again; the interface's count goes on.
    m_statistics.dropEvents += drops - m_drops;
    m_drops = drops;
    for (size_t i = 0; i < count; ++i) {
        if (batch[i].paired) {
            m_collector.Count(batch[i]);
        }
        m_statistics.Add(batch[i]);
    }
}

} // namespace probe
