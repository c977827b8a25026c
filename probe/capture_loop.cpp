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
                         PairCollector& collector, std::mutex& guard, bool paced)
    : m_source(std::move(source)), m_rules(rules), m_collector(collector), m_guard(guard),
      m_paced(paced && !m_source->Live()) {}

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
    bool more = true;
    while (more && !m_stop) {
        more = ReadBatch(batch, count);
        Apply(batch, count);
    }
    m_totals.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_totals.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    m_state = m_error.empty() ? State::kEnded : State::kFailed;
}

bool CaptureLoop::ReadBatch(FrameCount* batch, size_t& count) {
    count = 0;
    CapturedFrame frame;
    while (count < kBatch) {
        switch (m_source->Next(frame)) {
        case CaptureSource::Result::kFrame:
            break;
        case CaptureSource::Result::kIdle:
            return !m_stop;
        case CaptureSource::Result::kEnd:
            return false;
        case CaptureSource::Result::kError:
            m_error = m_source->Error();
            return false;
        }
        ++m_totals.frames;
        if (m_paced) {
            // Counted frames go in before the wait, so that answers meanwhile include them.
            Apply(batch, count);
            count = 0;
            WaitUntilDue(frame.microseconds);
        }
        if (CountFrame(frame.data, frame.captured, frame.length, m_rules, batch[count])) {
            ++count;
        } else {
            ++m_totals.uncounted;
        }
    }
    return true;
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
    if (count == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_guard);
    for (size_t i = 0; i < count; ++i) {
        m_collector.Count(batch[i]);
    }
}

} // namespace probe
