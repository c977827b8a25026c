// Soak of the Matrix view under the manual clock: refresh cycle after refresh cycle of an
// in-memory probe whose conversations change at random between walks (counters grow,
// some vanish, some come back, some are new). The table must end holding every
// conversation ever answered, once, with its last answered values, and the cycles must
// leave no window, GDI object, database handle or timer behind.
#include "common/number_text.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"
#include "table/ksc_table.h"
#include "tests/support/memory_transport.h"
#include "tests/view/view_fixture.h"

#include <cstdlib>
#include <map>
#include <random>
#include <tuple>

namespace {

// The full soak walks 2,000 conversations 10,000 times; under ASan and UBSan, where every
// walk costs several times more, a smaller soak of the same code keeps CI within minutes.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kCycles = 2000;
constexpr int kConversations = 1000;
#else
constexpr int kCycles = 10000;
constexpr int kConversations = 2000;
#endif
// The quick test run sets a short soak of the same code through TESSARAN_SOAK_CYCLES.
int Cycles() {
    const char* text = std::getenv("TESSARAN_SOAK_CYCLES");
    int cycles = kCycles;
    if (text != nullptr && ParseWholeInteger(text, cycles, 1) != NumberError::kNone) {
        ADD_FAILURE() << "TESSARAN_SOAK_CYCLES=" << text << " is not a number of cycles";
    }
    return cycles;
}
// Conversations whose counters grow between two walks.
constexpr int kGrowing = 20;

using Key = std::tuple<int, std::string, std::string>; // index, source, destination bytes

struct Counters {
    uint32_t packets = 0;
    uint32_t octets = 0;
    uint32_t errors = 0;
};

// The probe's conversations, kept in step with the agent that serves them.
class RandomProbe {
  public:
    explicit RandomProbe(ksdb::MemoryAgent& agent) : m_agent(agent) {
        while (m_live.size() < static_cast<size_t>(kConversations)) {
            AddNew();
        }
    }

    // What changes between two walks.
    void Change() {
        for (int i = 0; i < kGrowing; ++i) {
            Grow(Pick(m_live));
        }
        const unsigned dice = m_random() % 8;
        if (dice < 2) {
            Vanish(Pick(m_live));
        }
        if (dice % 2 == 0 && !m_vanished.empty()) {
            Return(Pick(m_vanished));
        }
        if (dice >= 5) {
            AddNew();
        }
    }

    // After a walk: every live conversation has answered its present values.
    void Answered() {
        for (const Key& key : m_changed) {
            auto live = m_live.find(key);
            if (live != m_live.end()) {
                m_answered[key] = live->second;
            }
        }
        m_changed.clear();
    }

    const std::map<Key, Counters>& LastAnswered() const { return m_answered; }

  private:
    Key Pick(const std::map<Key, Counters>& from) {
        auto it = from.begin();
        std::advance(it, m_random() % from.size());
        return it->first;
    }

    std::string RandomAddress() {
        std::string bytes(6, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(m_random());
        }
        return bytes;
    }

    void Serve(const Key& key, const Counters& counters) {
        m_live[key] = counters;
        m_agent.AddConversation(std::get<0>(key), std::get<1>(key), std::get<2>(key),
                                counters.packets, counters.octets, counters.errors);
        m_changed.push_back(key);
    }

    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(m_random() % bound); }

    void AddNew() {
        Key key{1 + static_cast<int>(m_random() % 3), RandomAddress(), RandomAddress()};
        if (m_live.count(key) == 0 && m_vanished.count(key) == 0) {
            Serve(key, {Below(100), Below(10000), Below(3)});
        }
    }

    void Grow(const Key& key) {
        Counters counters = m_live[key];
        counters.packets += 1 + m_random() % 50;
        counters.octets += 64 + m_random() % 60000;
        counters.errors += m_random() % 2;
        Serve(key, counters);
    }

    void Vanish(const Key& key) {
        for (uint32_t column = 1; column <= 6; ++column) {
            ksdb::Oid name = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1, column};
            name.push_back(static_cast<uint32_t>(std::get<0>(key)));
            for (const std::string* address : {&std::get<1>(key), &std::get<2>(key)}) {
                name.push_back(6);
                for (unsigned char byte : *address) {
                    name.push_back(byte);
                }
            }
            m_agent.Remove(name);
        }
        m_vanished[key] = m_live[key];
        m_live.erase(key);
    }

    // A conversation comes back with its counters where it left them, or restarted.
    void Return(const Key& key) {
        Counters counters = m_vanished[key];
        m_vanished.erase(key);
        if (m_random() % 2 == 0) {
            counters = {};
        }
        Serve(key, counters);
    }

    ksdb::MemoryAgent& m_agent;
    std::map<Key, Counters> m_live;
    std::map<Key, Counters> m_vanished;
    std::map<Key, Counters> m_answered;
    std::vector<Key> m_changed;
    std::mt19937 m_random{20261207};
};

// What a soak may not leak: windows, GDI objects, database handles, timers.
struct LiveObjects {
    size_t windows, gdiObjects, connections, views, records;
    int timers;
    bool operator==(const LiveObjects&) const = default;
};

std::ostream& operator<<(std::ostream& out, const LiveObjects& o) {
    return out << o.windows << " windows, " << o.gdiObjects << " GDI objects, " << o.connections
               << " connections, " << o.views << " views, " << o.records << " records, " << o.timers
               << " timers";
}

class MatrixViewSoakTest : public MatrixViewTest {
  protected:
    // Counted between walks, once the table's coalesced redraw has run.
    LiveObjects Count() {
        TimerClock::Advance(50);
        PlatformApp::PumpMessages();
        const ksdb::LiveHandles handles = ksdb::CountLiveHandles();
        return {PlatformApp::LiveWindowCount(),
                PlatformApp::LiveGdiObjectCount(),
                handles.connections,
                handles.views,
                handles.records,
                TimerClock::ActiveTimerCount()};
    }

    // Each conversation answered once, in one row, with its last answered values.
    void ExpectTableHolds(const std::map<Key, Counters>& answered) {
        ASSERT_EQ(RowCount(), static_cast<int>(answered.size()));
        std::map<Key, int> rows;
        for (int row = 0; row < RowCount(); ++row) {
            const std::vector<std::string> cells = Row(row);
            int index = 0;
            ASSERT_EQ(ParseWholeInteger(cells[0], index), NumberError::kNone) << cells[0];
            rows[{index, cells[3], cells[4]}] = row;
        }
        ASSERT_EQ(rows.size(), answered.size()) << "a conversation holds two rows";
        for (const auto& [key, counters] : answered) {
            const Key shown{std::get<0>(key), AddressText(std::get<1>(key)),
                            AddressText(std::get<2>(key))};
            auto row = rows.find(shown);
            ASSERT_NE(row, rows.end()) << std::get<1>(shown) << " -> " << std::get<2>(shown);
            const std::vector<std::string> cells = Row(row->second);
            EXPECT_EQ((std::vector<std::string>{cells[5], cells[6], cells[7]}),
                      (std::vector<std::string>{std::to_string(counters.octets),
                                                std::to_string(counters.packets),
                                                std::to_string(counters.errors)}))
                << std::get<1>(shown) << " -> " << std::get<2>(shown);
        }
    }
};

TEST_F(MatrixViewSoakTest, RandomChangesOverManyRefreshCycles) {
    Serve({});
    RandomProbe probe(*m_agent);
    ShowNode(1);
    probe.Answered();
    const LiveObjects before = Count();
    for (int cycle = 0, cycles = Cycles(); cycle < cycles; ++cycle) {
        probe.Change();
        TimerClock::Advance(REFRESH_INTERVAL);
        FinishWalk();
        ASSERT_FALSE(HasFatalFailure()) << "cycle " << cycle;
        probe.Answered();
    }
    EXPECT_EQ(Count(), before);
    ExpectTableHolds(probe.LastAnswered());
}

} // namespace
