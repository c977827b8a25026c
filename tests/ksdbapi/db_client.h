// A connection to the host database as a test sees it: the handles of the four tables,
// every notification it heard, and a get-next walk driven the way the walkers drive it.
#pragma once

#include "hostapi/ksdbapi.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <string>
#include <vector>

struct Notification {
    int table;
    int event;
    uint32_t recordId;
};

// Runs the event loop until `done` holds or `boundMs` passed; returns `done()`.
inline bool WaitFor(const std::function<bool()>& done, int boundMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < boundMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

// Delivers what the event loop already holds (queued answers), without waiting.
inline void RunPendingEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

std::string Text(DbHandle record, uint32_t field, int size = 256);

class DbClient {
  public:
    explicit DbClient(uintptr_t hostContext = 0);
    ~DbClient();

    // A request record of `kind` to `node` with one variable per identifier.
    DbHandle NewRequest(int kind, uint32_t node, const std::vector<std::string>& oids,
                        const std::string& instance = "");
    // Posts and waits for its event 12; false if none came. Checks that the post itself
    // did not notify.
    bool PostAndWait(DbHandle record);

    struct Row {
        std::vector<std::string> names, values;
    };
    // Walks the columns like the walker: get-next, again from each answer, until the
    // first variable leaves its column or an error is answered (its status in `error`).
    std::vector<Row> Walk(uint32_t node, const std::vector<std::string>& columns, int* error);

    DbHandle m_connection = 0;
    DbHandle m_requests = 0, m_nodes = 0, m_variables = 0, m_graphs = 0;
    std::vector<Notification> m_heard;
    // Runs inside each notification, after it is noted, as a walker's handler does.
    std::function<void(uint32_t recordId)> m_onHeard;
    bool m_posting = false;
    bool m_heardWhilePosting = false;

  private:
    static int OnNotify(uintptr_t self, int table, int event, uint32_t recordId);
};
