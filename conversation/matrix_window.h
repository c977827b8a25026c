// CMatrixWindow: the multi-document child that the Matrix view opens over the rows chosen
// in its table. Its conversation control draws one node per distinct source or
// destination; the pairs the user links there go back to the view as graph requests
// (WM_MATRIX_UTILIZATION, WM_MATRIX_BYTES, WM_MATRIX_PACKETS). While open it walks
// matrixSDOctets once per ordered node pair every 5 seconds through its multi-walker.
#pragma once

#include "conversation/conversation_ctrl.h"
#include "platform/framework/afx.h"
#include "view/address_list_node.h"
#include "view/conversation_window.h"
#include "walker/mib_multi_walker.h"

#include <stdint.h>
#include <string>
#include <vector>

#define MATRIX_INDEX_SIZE 256

#define POLL_TIMER 100
#define POLL_INTERVAL 5000

// The tag of one pair's walk; OnWalkDone deletes it.
struct PairWalkTag {
    char m_source[ADDRESS_LIST_ADDRESS_SIZE] = "";
    char m_destination[ADDRESS_LIST_ADDRESS_SIZE] = "";
    int m_direction = 0; // 0: the pair in node order, 1: reversed
};

class CMatrixWindow : public SECWorksheet, public CMibMultiWalker, public ConversationWindow {
    DECLARE_DYNCREATE(CMatrixWindow)
  public:
    CMatrixWindow();
    // Addresses as the table holds them ("00 A0 C9 12 34 56"); they are kept converted.
    CMatrixWindow(uint32_t nodeId, const std::vector<std::string>& names,
                  const std::vector<std::string>& addresses, const char* matrixIndex, CWnd* owner);
    ~CMatrixWindow() override;

    CMDIChildWnd* ChildFrame() override { return this; }
    void StartPolling() override;
    void RequestAllPairs() override;
    void RequestPair(int first, int second, int direction);
    // Hexadecimal bytes separated by spaces to dotted decimal, in place.
    static void ConvertAddress(std::string& address);
    // The converted address of the first node of that name; "" for an unknown name.
    void LookupAddress(const char* name, char* address) const;
    // 1 when the new address list holds at least one pair.
    int GatherSelectedPairs();
    void FreeAddressList();

    int OnWalkRow(DbHandle answer, uint32_t node, uintptr_t tag) override;
    void OnWalkDone(const char* lastInstance, uint32_t node, uintptr_t tag) override;

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnTimer(UINT id);
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    afx_msg void OnUtilization();
    afx_msg void OnBytes();
    afx_msg void OnPackets();
    afx_msg LRESULT OnGetReport(WPARAM size, LPARAM buffer);
    DECLARE_MESSAGE_MAP()

  private:
    void ArmPollTimer();
    void SendPairsToOwner(UINT message);
    void AppendAddress(const char* name);
    const char* AddressAt(int position) const;
    bool WalkHoldsTag(uintptr_t tag) const;
    std::string Report() const;

    CWnd* m_owner = nullptr;
    uint32_t m_nodeId = static_cast<uint32_t>(-1);
    std::vector<std::string> m_names;
    std::vector<std::string> m_addresses;
    char m_matrixIndex[MATRIX_INDEX_SIZE] = "";
    CConversationCtrl m_control;
    AddressListNode* m_listHead = nullptr;
    AddressListNode* m_listTail = nullptr;
    // The tag of the walk being started, until the walker hands it back or keeps it.
    uintptr_t m_startingTag = 0;
};
