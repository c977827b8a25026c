// CMibMultiWalker: like CMibWalker, but keeps any number of walks in flight, each
// carrying the node it addresses and a tag of the caller's.
#pragma once

#include "hostapi/ksdbapi.h"

#include <memory>
#include <stdint.h>
#include <string>
#include <vector>

// One walk in flight. The tag is the caller's opaque value, wide enough to hold a
// pointer; the walker never interprets or releases it.
struct MibWalkItem {
    DbHandle m_record = 0;
    uint32_t m_node = 0;
    uintptr_t m_tag = 0;
};

class CMibMultiWalker {
  public:
    CMibMultiWalker();
    virtual ~CMibMultiWalker();

    // Hooks for the derived class. OnWalkRow returns nonzero to continue the walk.
    virtual int OnWalkRow(DbHandle answer, uint32_t node, uintptr_t tag);
    virtual void OnWalkDone(const char* lastInstance, uint32_t node, uintptr_t tag);

    int Connect(uintptr_t hostContext);
    void Disconnect();
    void SetTargetNode(uint32_t node);
    void ClearOids();
    void SetOid(int position, const char* oid);
    void StartWalk(const char* instance, uintptr_t tag);

    // Notification entry registered with DbConnect; userDatum is the walker.
    static int NotifyProc(uintptr_t userDatum, int table, int event, uint32_t recordId);

    bool IsConnected() const { return m_connection != 0; }
    // The walks in flight, oldest first: how many, and each one's request record and tag.
    size_t GetWalkCount() const { return m_walks.size(); }
    DbHandle GetWalkRequest(size_t walk) const { return m_walks[walk]->m_record; }
    uintptr_t GetWalkTag(size_t walk) const { return m_walks[walk]->m_tag; }

  private:
    bool Owns(uint32_t recordId) const;
    uint32_t NodeOf(uint32_t recordId) const;
    uintptr_t TagOf(DbHandle answer, uint32_t recordId) const;
    void ReleaseAllWalks();
    void ReleaseWalk(uint32_t recordId);
    void PostNewRequest(const char* instance, uintptr_t tag);
    void OnNotify(int table, int event, uint32_t recordId);
    void OnAnswer(uint32_t recordId);
    bool ContinueWithAnswer(DbHandle answer, uint32_t recordId);
    void EndWalk(DbHandle answer, uint32_t recordId);

    std::vector<std::string> m_columnList;
    DbHandle m_connection = 0;
    DbHandle m_requestTable = 0;
    uint32_t m_node = 0;
    std::string m_lastInstance;
    std::vector<std::unique_ptr<MibWalkItem>> m_walks;
};
