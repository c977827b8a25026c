// A scripted stand-in for the host database library: it defines the Db* functions
// over plain in-memory records, answers get-next requests from a small MIB held
// in a map, and delivers answers only when a test asks it to, the way the event
// loop would. Failures are injected by flags.
#pragma once

#include "hostapi/ksdbapi.h"

#include <deque>
#include <map>
#include <stdint.h>
#include <string>
#include <vector>

namespace fakedb {

struct Variable {
    std::string oid;
    std::string instance;
    std::string name;
    std::string value;
};

struct Record {
    DbHandle table = 0;
    uint32_t id = 0;
    int cursor = 1;
    std::map<uint32_t, int32_t> ints;
    std::vector<Variable> vars;
};

struct State {
    // Failure injection.
    bool failConnect = false;
    int failTable = 0; // DbOpenTable of this table number answers 0
    bool failNewRecord = false;
    bool failPost = false;
    bool failFind = false;
    int32_t errorOnNextAnswer = 0;

    std::map<DbHandle, Record> records;  // live records by handle
    std::map<uint32_t, DbHandle> posted; // record id -> handle
    std::deque<DbHandle> answerQueue;    // posted, waiting for an answer
    std::vector<Record> posts;           // snapshot of every post
    std::map<DbHandle, std::pair<DbNotifyProc, uintptr_t>> connections;
    std::vector<DbHandle> disconnected;
    std::map<std::vector<uint32_t>, std::string> mib; // OID -> value
    int writeLocks = 0;                               // held write locks
    int unbalancedUnlocks = 0;
    DbHandle nextHandle = 1000;
    uint32_t nextId = 500;
};

State& Fake();
void Reset();
void AddObject(const std::string& oid, const std::string& value);
// Answers the oldest waiting request and notifies its connection; false when
// nothing waits.
bool DeliverNext();
// Delivers until nothing waits or the bound is reached; returns the count.
int DeliverAll(int bound = 1000);
// Sends one notification to every connection.
void Broadcast(int table, int event, uint32_t recordId);

} // namespace fakedb
