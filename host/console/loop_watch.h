// How long the console's event loop was held up: a timer ticks every kTickMs and the
// lateness of a tick is how long the loop could not answer the user. Switched on by naming
// a file in $TESSARAN_LOOP_STATS; when the watch ends it writes there the longest
// lateness ("longest-wait-ms N") and every lateness of kNotedMs or more with the time it
// ended, in ms since the watch began ("wait-ms N at-ms T"). Benchmarks read them.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <string>
#include <utility>
#include <vector>

class LoopWatch {
  public:
    static constexpr int kTickMs = 10;
    static constexpr int kNotedMs = 50;

    explicit LoopWatch(const char* path);
    ~LoopWatch();

  private:
    void OnTick();

    std::string m_path;
    QTimer m_timer;
    QElapsedTimer m_sinceStart;
    qint64 m_lastTick = 0;
    qint64 m_longestMs = 0;
    std::vector<std::pair<qint64, qint64>> m_noted; // lateness, time
};
