// CMibWalker: walks a set of SNMP table columns of one node through the host's
// request table, one get-next request carrying one variable per column, and hands
// every answer to the derived class as a row.
#pragma once

#include "hostapi/ksdbapi.h"

#include <functional>
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

    // The request record of the walk in flight; 0 when none is.
    DbHandle GetPendingRequest() const { return m_pendingRecord; }
    bool IsConnected() const { return m_connection != 0; }
    DbHandle GetConnection() const { return m_connection; }
    uint32_t GetTargetNode() const { return m_node; }
    // The walked columns' identifiers by position (1-based in SetOid); "" where unset.
    const std::vector<std::string>& GetColumns() const { return m_columnList; }

  protected:
    DbHandle GetNodeTable() const { return m_nodeTable; }

  private:
    void OnNotify(int table, int event, uint32_t recordId);
    bool ContinueWithAnswer(DbHandle answer);
    void FinishWalk();

    std::vector<std::string> m_columnList;
    DbHandle m_pendingRecord = 0;
    DbHandle m_connection = 0;
    DbHandle m_requestTable = 0;
    DbHandle m_nodeTable = 0;
    uint32_t m_node = 0;
    std::string m_lastInstance;
};

// Shared by both walkers.
//
// Makes and posts the first request of a walk: a get-next of every column from instance.
// Answers the posted record; 0 when no record could be made, or when the post failed
// (then postFailed is set and the record is freed already).
DbHandle PostWalkRequest(DbHandle requestTable, uint32_t node,
                         const std::vector<std::string>& columns, const char* instance,
                         bool& postFailed);
// Whether the first variable of an answer still lies in the first column (plain prefix
// comparison over that identifier's length).
bool AnswerInFirstColumn(DbHandle answer, const std::vector<std::string>& columns);
// One answer of a walk: while it lies in the first column, lastInstance takes its instance,
// onRow gets it, and the answer is posted again when onRow returns nonzero. False when the
// walk is finished (outside the column, or onRow returned 0). When stillOwned turns false
// during onRow, the hook has dropped the walk: nothing is posted and the answer is true.
bool ContinueWalk(DbHandle answer, const std::vector<std::string>& columns,
                  std::string& lastInstance, const std::function<int()>& onRow,
                  const std::function<bool()>& stillOwned);
// Grows columns to position entries when needed (1-based) and sets that entry.
void SetColumnOid(std::vector<std::string>& columns, int position, const char* oid);
