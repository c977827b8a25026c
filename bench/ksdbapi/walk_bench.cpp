// A walk of the six matrixSDTable columns through the request table, the way the walker
// drives it (post, event 12, post the answer again), against an in-memory agent. The
// baseline is the same get-next sequence asked of the agent directly, so the ratio is
// the cost of records, formatting and event-loop delivery.
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/oid_text.h"
#include "hostapi/ksdbapi.h"
#include "tests/support/memory_transport.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fstream>

namespace {

const char* const kColumns[] = {
    "1.3.6.1.2.1.16.6.2.1.1", "1.3.6.1.2.1.16.6.2.1.2", "1.3.6.1.2.1.16.6.2.1.3",
    "1.3.6.1.2.1.16.6.2.1.4", "1.3.6.1.2.1.16.6.2.1.5", "1.3.6.1.2.1.16.6.2.1.6",
};

std::shared_ptr<ksdb::MemoryAgent> MatrixAgent(int conversations) {
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    for (int i = 0; i < conversations; ++i) {
        std::string source("\x00\xA0\xC9\x00\x00\x00", 6),
            destination("\x00\x00\x0C\x07\x00\x00", 6);
        source[4] = static_cast<char>(i >> 8);
        source[5] = static_cast<char>(i);
        destination[5] = static_cast<char>(i % 7);
        destination[3] = static_cast<char>(i >> 16);
        agent->AddConversation(1 + i % 2, source, destination, i * 3, i * 700, i % 5);
    }
    return agent;
}

int RawWalk(ksdb::MemoryAgent& agent) {
    ksdb::SnmpRequest request{DB_REQ_GET_NEXT, {}};
    for (const char* column : kColumns) {
        request.vars.emplace_back();
        ksdb::ParseOid(column, request.vars.back().name);
    }
    ksdb::Oid first = request.vars[0].name;
    int rows = 0;
    for (;;) {
        ksdb::SnmpAnswer answer = agent.Answer(request, 1);
        if (answer.status || !ksdb::HasPrefix(answer.vars[0].name, first)) {
            return rows;
        }
        benchmark::DoNotOptimize(answer);
        request.vars = std::move(answer.vars);
        ++rows;
    }
}

struct Walk {
    DbHandle requests = 0;
    DbHandle record = 0;
    int rows = 0;
    bool done = false;
};

int OnNotify(uintptr_t datum, int table, int event, uint32_t id) {
    auto* walk = reinterpret_cast<Walk*>(datum);
    if (table != DB_TABLE_REQUESTS || event != DB_EVENT_ANSWERED ||
        id != DbGetRecordId(walk->record)) {
        return 1;
    }
    DbHandle answer = DbFindRecord(walk->requests, id);
    char name[256];
    DbSetInt(answer, FLD_VAR_INDEX, 1);
    DbGetText(answer, FLD_VAR_NAME, name, sizeof name);
    if (strncmp(name, kColumns[0], strlen(kColumns[0])) || DbGetInt(answer, FLD_REQ_ERROR)) {
        walk->done = true;
        return 1;
    }
    char value[256];
    for (int i = 1; i <= 6; ++i) {
        DbSetInt(answer, FLD_VAR_INDEX, i);
        DbGetText(answer, FLD_VAR_VALUE, value, sizeof value);
    }
    ++walk->rows;
    DbSetInt(answer, FLD_TYPE, DB_REQ_GET_NEXT);
    DbPostRecord(answer);
    return 1;
}

int DatabaseWalk() {
    Walk walk;
    DbHandle connection = DbConnect(0, OnNotify, reinterpret_cast<uintptr_t>(&walk));
    walk.requests = DbOpenTable(connection, DB_TABLE_REQUESTS);
    walk.record = DbNewRecord(walk.requests);
    DbSetInt(walk.record, FLD_TYPE, DB_REQ_GET_NEXT);
    DbSetInt(walk.record, FLD_REQ_OPTION, 2);
    DbSetInt(walk.record, FLD_REQ_TARGET, 1);
    for (int i = 0; i < 6; ++i) {
        DbSetInt(walk.record, FLD_VAR_INDEX, i + 1);
        DbSetText(walk.record, FLD_VAR_OID, kColumns[i], -1);
        DbSetText(walk.record, FLD_VAR_INSTANCE, "", 0);
    }
    DbPostRecord(walk.record);
    while (!walk.done) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    DbFreeRecord(walk.record);
    DbDisconnect(connection);
    return walk.rows;
}

void BM_MatrixWalk(benchmark::State& state) {
    int conversations = static_cast<int>(state.range(0));
    std::shared_ptr<ksdb::MemoryAgent> agent = MatrixAgent(conversations);
    ksdb::ResetDatabase();
    std::string nodes = "/tmp/ksdbapi_bench_nodes";
    std::ofstream(nodes) << "1 memory 2c public 1000 0 bench\n";
    ksdb::LoadNodes(nodes);
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    transport->SetDefaultAgent(agent);
    ksdb::SetTransport(std::move(transport));

    double rawSeconds = 0, databaseSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int rawRows = RawWalk(*agent);
        auto middle = std::chrono::steady_clock::now();
        int rows = DatabaseWalk();
        auto end = std::chrono::steady_clock::now();
        if (rows != conversations || rawRows != conversations) {
            state.SkipWithError("walk lost rows");
        }
        rawSeconds += std::chrono::duration<double>(middle - start).count();
        databaseSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(std::chrono::duration<double>(end - middle).count());
    }
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(conversations) *
                                                      state.iterations() / databaseSeconds);
    state.counters["ratio_to_agent"] = databaseSeconds / rawSeconds;
}

BENCHMARK(BM_MatrixWalk)->Arg(1000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
