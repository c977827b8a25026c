// CMatrixWindow: creation, layout, context menu, graph requests, polling and the report.
#include "conversation/matrix_window.h"

#include "hostapi/ksmem32.h"
#include "hostapi/window_report.h"
#include "platform/core/text_reply.h"
#include "res/resource.h"
#include "view/address_oid.h"
#include "view/context_menu_point.h"
#include "view/matrix_view.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>

namespace {

// matrixSDOctets, walked once per ordered pair.
const char kOctetsColumn[] = "1.3.6.1.2.1.16.6.2.1.5";
const char kTimerFailure[] = "Timer is now improper resource";
const char kNoPairs[] = "Select nodes from conversation control";

// Converted addresses are kept to the 255 characters of a 256-byte buffer.
constexpr size_t kConvertedSize = 256;

// Walk tags travel through the walker as integers.
PairWalkTag* TagFromValue(uintptr_t tag) {
    // The walker answers -1 for a tag it cannot find; that is no tag of ours.
    if (tag == 0 || tag == static_cast<uintptr_t>(-1)) {
        return nullptr;
    }
    return reinterpret_cast<PairWalkTag*>(tag);
}

} // namespace

IMPLEMENT_DYNCREATE(CMatrixWindow, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CMatrixWindow, SECWorksheet)
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_CREATE()
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_GRAPH_UTILIZATION, OnUtilization)
ON_COMMAND(ID_GRAPH_BYTES, OnBytes)
ON_COMMAND(ID_GRAPH_PACKETS, OnPackets)
ON_MESSAGE(WM_GETREPORT, OnGetReport)
END_MESSAGE_MAP()

CMatrixWindow::CMatrixWindow() = default;

CMatrixWindow::CMatrixWindow(uint32_t nodeId, const std::vector<std::string>& names,
                             const std::vector<std::string>& addresses, const char* matrixIndex,
                             CWnd* owner)
    : m_owner(owner), m_nodeId(nodeId), m_names(names), m_addresses(addresses) {
    snprintf(m_matrixIndex, sizeof m_matrixIndex, "%s", matrixIndex);
    for (std::string& address : m_addresses) {
        ConvertAddress(address);
    }
}

// Walks still in flight keep their tags, which the walker never releases: they are
// deleted here, before Disconnect frees the walks. The last address list is released
// too: the view used it while the request message was being handled and keeps nothing.
CMatrixWindow::~CMatrixWindow() {
    for (size_t walk = 0; walk < GetWalkCount(); ++walk) {
        delete TagFromValue(GetWalkTag(walk));
    }
    Disconnect();
    FreeAddressList();
    m_names.clear();
    m_addresses.clear();
}

// The view's reading of the bytes (AddressOid), without the dot before the first one, since
// the window joins index and addresses itself; cut to the 255 characters its 256-byte
// address buffers hold.
void CMatrixWindow::ConvertAddress(std::string& address) {
    address = AddressOid(address).substr(1);
    address.resize(std::min(address.size(), kConvertedSize - 1));
}

const char* CMatrixWindow::AddressAt(int position) const {
    return position >= 0 && position < static_cast<int>(m_addresses.size())
               ? m_addresses[position].c_str()
               : "";
}

void CMatrixWindow::LookupAddress(const char* name, char* address) const {
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name) {
            snprintf(address, ADDRESS_LIST_ADDRESS_SIZE, "%s", AddressAt(static_cast<int>(i)));
            return;
        }
    }
    address[0] = '\0';
}

void CMatrixWindow::StartPolling() {
    Connect(0);
    ArmPollTimer();
}

void CMatrixWindow::ArmPollTimer() {
    if (SetTimer(POLL_TIMER, POLL_INTERVAL) == 0) {
        MessageBox(kTimerFailure, nullptr, MB_OK);
    }
}

// n(n-1) walks: (0,1), (1,0), (0,2), (2,0), ..., none below two names.
void CMatrixWindow::RequestAllPairs() {
    const int n = static_cast<int>(m_names.size());
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            RequestPair(i, j, 0);
            RequestPair(j, i, 1);
        }
    }
}

// From the pair's own instance, ".INDEX.6.FIRST.6.SECOND", to the end of the column.
void CMatrixWindow::RequestPair(int first, int second, int direction) {
    ClearOids();
    const std::string instance =
        std::string(".") + m_matrixIndex + ".6." + AddressAt(first) + ".6." + AddressAt(second);
    auto* tag = new PairWalkTag;
    snprintf(tag->m_source, sizeof tag->m_source, "%s", AddressAt(first));
    snprintf(tag->m_destination, sizeof tag->m_destination, "%s", AddressAt(second));
    tag->m_direction = direction;
    SetOid(1, kOctetsColumn);
    SetTargetNode(m_nodeId);
    m_startingTag = reinterpret_cast<uintptr_t>(tag);
    StartWalk(instance.c_str(), m_startingTag);
    // Without a connection, or without a request record, the walker neither keeps the
    // tag nor hands it back: it is released here.
    if (m_startingTag != 0 && !WalkHoldsTag(m_startingTag)) {
        delete tag;
    }
    m_startingTag = 0;
}

bool CMatrixWindow::WalkHoldsTag(uintptr_t tag) const {
    for (size_t walk = 0; walk < GetWalkCount(); ++walk) {
        if (GetWalkTag(walk) == tag) {
            return true;
        }
    }
    return false;
}

// The answers change nothing on screen; the walk goes on to the end of the column.
int CMatrixWindow::OnWalkRow(DbHandle answer, uint32_t, uintptr_t) {
    DbSetInt(answer, FLD_VAR_INDEX, 1);
    return TRUE;
}

// The walker releases an ended walk before calling here, so each tag arrives once.
void CMatrixWindow::OnWalkDone(const char*, uint32_t, uintptr_t tag) {
    if (tag == m_startingTag) {
        m_startingTag = 0;
    }
    delete TagFromValue(tag);
}

void CMatrixWindow::OnTimer(UINT) {
    KillTimer(POLL_TIMER);
    RequestAllPairs();
    ArmPollTimer();
    Default();
}

int CMatrixWindow::OnCreate(LPCREATESTRUCT createStruct) {
    if (SECWorksheet::OnCreate(createStruct) == -1) {
        return -1;
    }
    CRect client;
    GetClientRect(&client);
    if (!m_control.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, this,
                          IDC_CONVERSATION_CTRL)) {
        return -1;
    }
    if (m_names.empty()) {
        return -1;
    }
    for (const std::string& name : m_names) {
        m_control.AddNode(name.c_str());
    }
    return 0;
}

void CMatrixWindow::OnSize(UINT type, int cx, int cy) {
    SECWorksheet::OnSize(type, cx, cy);
    if (::IsWindow(m_control.GetSafeHwnd())) {
        m_control.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER);
    }
}

void CMatrixWindow::OnContextMenu(CWnd*, CPoint point) {
    point = ContextMenuPoint(*this, point);
    CMenu menu;
    if (!menu.LoadMenu(IDR_MATRIX_WINDOW_POPUP)) {
        return;
    }
    CMenu* popup = menu.GetSubMenu(0);
    if (popup != nullptr) {
        popup->TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this);
    }
}

void CMatrixWindow::OnUtilization() {
    SendPairsToOwner(WM_MATRIX_UTILIZATION);
}

void CMatrixWindow::OnBytes() {
    SendPairsToOwner(WM_MATRIX_BYTES);
}

void CMatrixWindow::OnPackets() {
    SendPairsToOwner(WM_MATRIX_PACKETS);
}

// The index text goes to the owner, which deletes it. When the owner's window is gone
// nobody would, so it is deleted here instead.
void CMatrixWindow::SendPairsToOwner(UINT message) {
    if (!GatherSelectedPairs()) {
        return;
    }
    // Cut to the 100 bytes of the message's text.
    char* indexText = new char[MATRIX_INDEX_TEXT_SIZE];
    const size_t length = strnlen(m_matrixIndex, MATRIX_INDEX_TEXT_SIZE - 1);
    memcpy(indexText, m_matrixIndex, length);
    indexText[length] = '\0';
    if (m_owner != nullptr && ::IsWindow(m_owner->GetSafeHwnd())) {
        m_owner->SendMessage(message, reinterpret_cast<WPARAM>(m_listHead),
                             reinterpret_cast<LPARAM>(indexText));
    } else {
        delete[] indexText;
    }
    m_listTail = nullptr;
}

int CMatrixWindow::GatherSelectedPairs() {
    FreeAddressList();
    char first[NODE_NAME_SIZE];
    char second[NODE_NAME_SIZE];
    for (int position = m_control.GetFirstSelectedPair(first, second); position >= 0;
         position = m_control.GetNextSelectedPair(position, first, second)) {
        AppendAddress(first);
        AppendAddress(second);
    }
    if (m_listHead == nullptr) {
        MessageBox(Localize(kNoPairs), nullptr, MB_OK);
        return 0;
    }
    return 1;
}

void CMatrixWindow::AppendAddress(const char* name) {
    auto* element = new AddressListNode{};
    LookupAddress(name, element->address);
    if (m_listTail != nullptr) {
        m_listTail->next = element;
    } else {
        m_listHead = element;
    }
    m_listTail = element;
}

void CMatrixWindow::FreeAddressList() {
    while (m_listHead != nullptr) {
        AddressListNode* next = m_listHead->next;
        delete m_listHead;
        m_listHead = next;
    }
    m_listTail = nullptr;
}

// Report (WM_GETREPORT), one tab-separated record a line:
//   index    MATRIX_INDEX                 the matrix index of the chosen rows
//   target   NODE_ID                      the probe node walked
//   address  NAME  ADDRESS                per node in order, the converted address
//   sent     ADDRESS                      per element of the last list handed to the view
//   walks    N                            walks in flight
// The conversation control (child 5555) reports the drawing itself.
LRESULT CMatrixWindow::OnGetReport(WPARAM size, LPARAM buffer) {
    return CopyTextReply(Report(), size, buffer);
}

std::string CMatrixWindow::Report() const {
    std::string report = std::string("index\t") + m_matrixIndex + "\n";
    report += "target\t" + std::to_string(m_nodeId) + "\n";
    for (size_t i = 0; i < m_names.size(); ++i) {
        report += "address\t" + m_names[i] + "\t" + AddressAt(static_cast<int>(i)) + "\n";
    }
    for (const AddressListNode* element = m_listHead; element != nullptr; element = element->next) {
        report += std::string("sent\t") + element->address + "\n";
    }
    report += "walks\t" + std::to_string(GetWalkCount()) + "\n";
    return report;
}
