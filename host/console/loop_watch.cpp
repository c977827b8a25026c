#include "host/console/loop_watch.h"

#include <algorithm>
#include <fstream>

LoopWatch::LoopWatch(const char* path) : m_path(path ? path : "") {
    if (m_path.empty())
        return;
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTick(); });
    m_timer.start(kTickMs);
    m_sinceStart.start();
}

LoopWatch::~LoopWatch() {
    if (m_path.empty())
        return;
    std::ofstream file(m_path);
    file << "longest-wait-ms " << m_longestMs << "\n";
    for (const auto& [wait, at] : m_noted)
        file << "wait-ms " << wait << " at-ms " << at << "\n";
}

void LoopWatch::OnTick() {
    qint64 now = m_sinceStart.elapsed();
    qint64 late = now - m_lastTick - kTickMs;
    m_lastTick = now;
    m_longestMs = std::max(m_longestMs, late);
    if (late >= kNotedMs)
        m_noted.emplace_back(late, now);
}
