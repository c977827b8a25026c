// CMibWalker: walks a set of SNMP table columns of one node through the host's
// request table, one get-next request carrying one variable per column, and hands
// every answer to the derived class as a row.
#pragma once

#include "hostapi/ksdbapi.h"

#include <stdint.h>
#include <string>
#include <vector>

class CMibWalker {
  public:
    CMibWalker();
    virtual ~CMibWalker();

    // Hooks for the derived class. OnWalkRow returns nonzero to continue the walk.
    virtual int OnWalkRow(DbHandle answer);
    virtual void OnWalkDone(const char* lastInstance);

    int Connect(uintptr_t hostContext);
    void Disconnect();
    void SetTargetNode(uint32_t node);
    void ClearOids();
    void SetOid(int position, const char* oid);
    void StartWalk(const char* instance);
    void CancelRequest();

    // Notification entry registered with DbConnect; userDatum is the walker.
    static int NotifyProc(uintptr_t userDatum, int table, int event, uint32_t recordId);

    std::vector<std::string> m_columnList;
    DbHandle m_pendingRecord = 0;
    DbHandle m_connection = 0;
    DbHandle m_requestTable = 0;
    DbHandle m_nodeTable = 0;
    uint32_t m_node = 0;
    std::string m_lastInstance;

  private:
    void OnNotify(int table, int event, uint32_t recordId);
    bool ContinueWithAnswer(DbHandle answer);
    void FinishWalk();
    void PostNewRequest(const char* instance);
};

// Shared by both walkers: the request fields of a get-next over columns.
void FillWalkRequest(DbHandle record, uint32_t node, const std::vector<std::string>& columns,
                     const char* instance);
// Whether the first variable of an answer still lies in column (plain prefix
// comparison over the column identifier's length).
bool AnswerInColumn(DbHandle answer, const std::string& column);
// Reads the first variable's answered instance into text.
std::string AnswerInstance(DbHandle answer);
// Grows columns to position entries when needed (1-based) and sets that entry.
void SetColumnOid(std::vector<std::string>& columns, int position, const char* oid);
