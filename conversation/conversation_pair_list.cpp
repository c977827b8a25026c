#include "conversation/conversation_pair_list.h"

#include "conversation/conversation_ctrl.h"

#include <stdio.h>

void CConversationPairList::Add(int first, int second) {
    m_pairs.push_back(std::make_unique<CConversationPair>(first, second));
}

void CConversationPairList::GetNames(int position, char* first, char* second, size_t size) const {
    const CConversationPair& pair = GetAt(position);
    snprintf(first, size, "%s", m_nodes[pair.GetFirst()]->m_name);
    snprintf(second, size, "%s", m_nodes[pair.GetSecond()]->m_name);
}

BOOL CConversationPairList::Contains(int a, int b) const {
    for (const auto& pair : m_pairs) {
        if ((pair->GetFirst() == a && pair->GetSecond() == b) ||
            (pair->GetFirst() == b && pair->GetSecond() == a)) {
            return TRUE;
        }
    }
    return FALSE;
}

void CConversationPairList::Clear() {
    m_pairs.clear();
}
