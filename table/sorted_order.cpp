#include "table/sorted_order.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// A subtree is out of balance when one child holds more than 70% of its nodes.
bool OutOfBalance(uint32_t size, uint32_t largerChild) {
    return size > 2 && 10ull * largerChild > 7ull * size;
}

// Up to eight bytes of a text as a big-endian number, zero-padded after the end:
// comparing two of them orders texts as strcmp does on those bytes.
uint64_t TextPrefix(const char* text, size_t* used) {
    uint64_t prefix = 0;
    size_t i = 0;
    for (; i < 8 && text[i] != '\0'; ++i)
        prefix = (prefix << 8) | static_cast<unsigned char>(text[i]);
    *used = i;
    return i == 0 ? 0 : prefix << (8 * (8 - i));
}

} // namespace

double SortedOrder::MaxOf(uint32_t n) const {
    return n == NIL ? NOT_A_NUMBER : m_nodes[n].max;
}

void SortedOrder::Update(uint32_t n) {
    Node& node = m_nodes[n];
    node.size = 1 + Size(node.left) + Size(node.right);
    if (m_numeric)
        node.max = std::fmax(std::fmax(MaxOf(node.left), node.value), MaxOf(node.right));
}

void SortedOrder::ReadKey(Node& node, const char* text) const {
    if (m_numeric) {
        node.value = std::atof(text);
        return;
    }
    size_t used = 0;
    node.prefix = TextPrefix(text, &used);
    node.prefix2 = used < 8 ? 0 : TextPrefix(text + 8, &used);
}

// strcmp of the visited node's text with the probe's, from the prefixes where they differ
// or where a text ends within them.
int SortedOrder::CompareText(uint32_t n, const char* text, const Node& probe,
                             const TextOf& textOf) const {
    const Node& visited = m_nodes[n];
    if (visited.prefix != probe.prefix)
        return visited.prefix < probe.prefix ? -1 : 1;
    if ((probe.prefix & 0xFF) == 0)
        return 0;
    if (visited.prefix2 != probe.prefix2)
        return visited.prefix2 < probe.prefix2 ? -1 : 1;
    if ((probe.prefix2 & 0xFF) == 0)
        return 0;
    return std::strcmp(textOf(n) + 16, text + 16);
}

// The first node in order whose value is at or above the probe's, NIL when none is: in a
// numeric order NaN values never qualify, and a NaN probe finds nothing.
uint32_t SortedOrder::FirstAtOrAbove(const Node& probe, const char* text,
                                     const TextOf& textOf) const {
    if (m_numeric) {
        uint32_t n = m_root;
        while (n != NIL) {
            const Node& node = m_nodes[n];
            if (node.left != NIL && MaxOf(node.left) >= probe.value)
                n = node.left;
            else if (node.value >= probe.value)
                return n;
            else
                n = node.right;
        }
        return NIL;
    }
    uint32_t found = NIL;
    for (uint32_t n = m_root; n != NIL;) {
        if (CompareText(n, text, probe, textOf) >= 0) {
            found = n;
            n = m_nodes[n].left;
        } else {
            n = m_nodes[n].right;
        }
    }
    return found;
}

void SortedOrder::Link(uint32_t slot, const char* text, const TextOf& textOf) {
    if (text == nullptr)
        text = "";
    m_nodes.Cover(slot);
    Unlink(slot);
    Node probe;
    ReadKey(probe, text);
    uint32_t before = FirstAtOrAbove(probe, text, textOf);
    m_nodes[slot] = probe;
    InsertBefore(slot, before);
}

void SortedOrder::InsertBefore(uint32_t slot, uint32_t before) {
    Node& node = m_nodes[slot];
    node.left = node.right = node.parent = NIL;
    if (m_root == NIL) {
        m_root = m_first = m_last = slot;
        Update(slot);
        return;
    }
    if (before == m_first)
        m_first = slot;
    if (before == NIL)
        m_last = slot;
    uint32_t parent;
    if (before == NIL) {
        parent = Rightmost(m_root);
        m_nodes[parent].right = slot;
    } else if (m_nodes[before].left == NIL) {
        parent = before;
        m_nodes[parent].left = slot;
    } else {
        parent = Rightmost(m_nodes[before].left);
        m_nodes[parent].right = slot;
    }
    node.parent = parent;
    Update(slot);
    FixUpward(parent);
}

void SortedOrder::Replace(uint32_t old, uint32_t with) {
    uint32_t parent = m_nodes[old].parent;
    if (with != NIL)
        m_nodes[with].parent = parent;
    if (parent == NIL)
        m_root = with;
    else if (m_nodes[parent].left == old)
        m_nodes[parent].left = with;
    else
        m_nodes[parent].right = with;
}

void SortedOrder::Unlink(uint32_t slot) {
    if (!IsLinked(slot))
        return;
    if (slot == m_first)
        m_first = Next(slot);
    if (slot == m_last)
        m_last = Prev(slot);
    Node gone = m_nodes[slot];
    uint32_t fixFrom = gone.parent;
    if (gone.left == NIL) {
        Replace(slot, gone.right);
    } else if (gone.right == NIL) {
        Replace(slot, gone.left);
    } else {
        uint32_t heir = Leftmost(gone.right);
        fixFrom = heir;
        if (m_nodes[heir].parent != slot) {
            fixFrom = m_nodes[heir].parent;
            Replace(heir, m_nodes[heir].right);
            m_nodes[heir].right = gone.right;
            m_nodes[gone.right].parent = heir;
        }
        Replace(slot, heir);
        m_nodes[heir].left = gone.left;
        m_nodes[gone.left].parent = heir;
    }
    m_nodes[slot] = Node{};
    if (fixFrom != NIL)
        FixUpward(fixFrom);
}

// Recounts from n up to the root and rebuilds the highest subtree left out of balance.
void SortedOrder::FixUpward(uint32_t n) {
    uint32_t scapegoat = NIL;
    for (; n != NIL; n = m_nodes[n].parent) {
        Update(n);
        const Node& node = m_nodes[n];
        uint32_t larger = std::max(Size(node.left), Size(node.right));
        if (OutOfBalance(node.size, larger))
            scapegoat = n;
    }
    if (scapegoat != NIL)
        RebuildSubtree(scapegoat);
}

void SortedOrder::RebuildSubtree(uint32_t top) {
    uint32_t parent = m_nodes[top].parent;
    bool wasLeft = parent != NIL && m_nodes[parent].left == top;
    m_scratch.clear();
    uint32_t n = Leftmost(top);
    for (uint32_t i = m_nodes[top].size; i > 0; --i, n = Next(n))
        m_scratch.push_back(n);
    uint32_t rebuilt = BuildBalanced(0, m_scratch.size(), parent);
    if (parent == NIL)
        m_root = rebuilt;
    else if (wasLeft)
        m_nodes[parent].left = rebuilt;
    else
        m_nodes[parent].right = rebuilt;
}

uint32_t SortedOrder::BuildBalanced(size_t lo, size_t hi, uint32_t parent) {
    if (lo >= hi)
        return NIL;
    size_t mid = lo + (hi - lo) / 2;
    uint32_t n = m_scratch[mid];
    m_nodes[n].parent = parent;
    m_nodes[n].left = BuildBalanced(lo, mid, n);
    m_nodes[n].right = BuildBalanced(mid + 1, hi, n);
    Update(n);
    return n;
}

void SortedOrder::SetNumeric(bool numeric, const TextOf& textOf) {
    if (numeric == m_numeric)
        return;
    m_numeric = numeric;
    if (m_root == NIL)
        return;
    for (uint32_t n = First(); n != NIL; n = Next(n))
        ReadKey(m_nodes[n], textOf(n));
    RebuildSubtree(m_root);
}

void SortedOrder::Clear() {
    m_root = m_first = m_last = NIL;
    m_nodes.Clear();
}

uint32_t SortedOrder::Leftmost(uint32_t n) const {
    while (m_nodes[n].left != NIL)
        n = m_nodes[n].left;
    return n;
}

uint32_t SortedOrder::Rightmost(uint32_t n) const {
    while (m_nodes[n].right != NIL)
        n = m_nodes[n].right;
    return n;
}

uint32_t SortedOrder::Nth(uint32_t n) const {
    if (n >= Count())
        return NIL;
    uint32_t x = m_root;
    for (;;) {
        uint32_t leftSize = Size(m_nodes[x].left);
        if (n == leftSize)
            return x;
        if (n < leftSize) {
            x = m_nodes[x].left;
        } else {
            n -= leftSize + 1;
            x = m_nodes[x].right;
        }
    }
}

uint32_t SortedOrder::Next(uint32_t slot) const {
    if (!IsLinked(slot))
        return NIL;
    if (m_nodes[slot].right != NIL)
        return Leftmost(m_nodes[slot].right);
    uint32_t parent = m_nodes[slot].parent;
    while (parent != NIL && m_nodes[parent].right == slot) {
        slot = parent;
        parent = m_nodes[slot].parent;
    }
    return parent;
}

uint32_t SortedOrder::Prev(uint32_t slot) const {
    if (!IsLinked(slot))
        return NIL;
    if (m_nodes[slot].left != NIL)
        return Rightmost(m_nodes[slot].left);
    uint32_t parent = m_nodes[slot].parent;
    while (parent != NIL && m_nodes[parent].left == slot) {
        slot = parent;
        parent = m_nodes[slot].parent;
    }
    return parent;
}

uint32_t SortedOrder::Rank(uint32_t slot) const {
    uint32_t rank = Size(m_nodes[slot].left);
    for (uint32_t parent = m_nodes[slot].parent; parent != NIL; parent = m_nodes[slot].parent) {
        if (m_nodes[parent].right == slot)
            rank += Size(m_nodes[parent].left) + 1;
        slot = parent;
    }
    return rank;
}
