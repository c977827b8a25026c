// CConversationPair and CConversationPairList: the node pairs chosen in the conversation
// control, in the order chosen. A pair names its nodes by position in the control's node
// array; the list turns positions into names through that array.
#pragma once

#include "platform/framework/afx.h"

#include <memory>
#include <vector>

struct ConversationNode;

class CConversationPair : public CObject {
  public:
    CConversationPair(int first, int second) : m_first(first), m_second(second) {}

    // The two nodes' positions, in the order chosen.
    int GetFirst() const { return m_first; }
    int GetSecond() const { return m_second; }

  private:
    int m_first;
    int m_second;
};

class CConversationPairList : public CObject {
  public:
    explicit CConversationPairList(const std::vector<std::unique_ptr<ConversationNode>>& nodes)
        : m_nodes(nodes) {}

    // Appends a pair; the same pair may stand more than once.
    void Add(int first, int second);
    int GetCount() const { return static_cast<int>(m_pairs.size()); }
    const CConversationPair& GetAt(int position) const { return *m_pairs[position]; }
    // Copies the names of the pair's two nodes, each cut to size bytes.
    void GetNames(int position, char* first, char* second, size_t size) const;
    // TRUE when some pair joins a and b, in either order.
    BOOL Contains(int a, int b) const;
    void Clear();

  private:
    std::vector<std::unique_ptr<CConversationPair>> m_pairs;
    const std::vector<std::unique_ptr<ConversationNode>>& m_nodes;
};
