// CMatrixView: the window that fills the plug-in's tab in the host's per-node
// window. It lists the matrix conversations of the selected probe in its table,
// kept filled through its CMibWalker base, offers the graph and conversation
// commands, and shares the host tab window's scroll bars with its table.
#pragma once

#include "platform/framework/afx.h"
#include "res/resource.h"
#include "view/address_list_node.h"
#include "view/graph_definition.h"
#include "view/matrix_row_index.h"
#include "view/view_host.h"
#include "walker/mib_walker.h"

#include <memory>
#include <stdint.h>
#include <string>
#include <vector>

class KSCTable;
class SECTabWnd;

// Room for the MIB object names of the walked columns.
#define MAX_COLUMN_OBJECTS 10
#define COLUMN_OBJECT_SIZE 100

// Pairs linked in the conversation window, sent to the view. wParam is the head of the
// sender's address list; lParam a 100-byte index text that the sender allocates with
// new char[] and the receiver deletes.
#define WM_MATRIX_UTILIZATION 3024
#define WM_MATRIX_BYTES 3025
#define WM_MATRIX_ERRORS 3026
#define WM_MATRIX_PACKETS 3027
#define MATRIX_INDEX_TEXT_SIZE 100

// LRESULT memberFxn(const AddressListNode* addresses, std::unique_ptr<char[]> indexText):
// the pair messages. The handler owns the index text, so it is freed however it returns.
#define ON_MATRIX_PAIRS(message, memberFxn)                                                        \
    AFX_CRACK_(message,                                                                            \
               return self->memberFxn(reinterpret_cast<const AddressListNode*>(wParam),            \
                                      std::unique_ptr<char[]>(reinterpret_cast<char*>(lParam)));)

// Walks start again this long after the previous walk ended.
#define REFRESH_TIMER 1
#define REFRESH_INTERVAL 10000

// Graph categories.
enum GraphCategory {
    GRAPH_UTILIZATION = 1,
    GRAPH_ERRORS = 2,
    GRAPH_BYTES = 3,
    GRAPH_PACKETS = 4,
};

// Legend and title modes of the category builder: the pair label alone, the series name
// alone, the series name with the pair label in brackets.
enum { LEGEND_PAIR = 1, LEGEND_SERIES = 3, LEGEND_SERIES_AND_PAIR = 4 };

// Size of the title buffer of one page of the "All" window.
#define GRAPH_PAGE_TITLE_SIZE 1024

class CMatrixView : public CWnd, public CMibWalker {
  public:
    // The table's columns.
    enum {
        COL_INDEX = 0,
        COL_SOURCE_NAME = 1,
        COL_DESTINATION_NAME = 2,
        COL_SOURCE_ADDRESS = 3,
        COL_DESTINATION_ADDRESS = 4,
        COL_BYTES = 5,
        COL_PACKETS = 6,
        COL_ERRORS = 7,
    };

    explicit CMatrixView(ViewHost& host);
    ~CMatrixView() override;

    // Empties the table and walks the newly selected node.
    void ChangeNode(uint32_t nodeId);
    // Runs a menu or host command; every id is accepted.
    void DispatchCommand(UINT id);
    // Disconnects from the host database, destroys the table and unregisters
    // from the conversion module; the window itself stays.
    void CloseView();
    // Whether the graph commands apply: the table is a window with a selected row.
    BOOL HasSelectedRows() const;
    // A name from the conversion module for an address of row.
    void OnNameConverted(const char* address, const char* name, intptr_t row);
    // Copies the table's scroll state into the host tab window's shared bars, with an
    // empty range when clear is set; only while this view is the active tab.
    void SyncHostScrollBars(BOOL clear);
    // Fills m_pairNames and m_pairAddresses from the selected rows, which must share
    // one index (answered in index). FALSE when nothing was collected.
    BOOL CollectPairs(std::string& index);

    // Category graphs of the selected rows: with inPage, a page in container's tab window
    // (its title written to titleOut), else a graph frame of its own (null returned).
    CWnd* BuildCategoryGraph(GraphCategory category, CMDIChildWnd* container, BOOL inPage,
                             char* titleOut, int titleSize);
    // The four categories as tabs of one frame.
    void OpenAllGraphs();
    // A single graph's frame as the request says, with the graph the host makes in it.
    BOOL OpenGraphWindow(GraphWindowRequest* request);
    // Writes the definition as one graph record; the graph window the host made, or null.
    HWND PostGraph(const GraphDefinition& definition);

    // Text builders over one table row.
    std::vector<int> CollectSelectedRows() const;
    static void AddressToOid(std::string& text);
    std::string BuildInstance(int row) const;
    std::string BuildPairLabel(int row) const;
    std::string BuildLegend(int row, const std::string& prefix, int mode) const;
    // With LEGEND_PAIR or LEGEND_SERIES the title ends with row's pair.
    std::string BuildGraphTitle(GraphCategory category, int mode, int row) const;

    void RefreshWalk();
    void ResolveColumnOids();
    int FindMatrixRow(const char* index, const char* source, const char* destination);

    int OnWalkRow(DbHandle answer) override;
    void OnWalkDone(const char* lastInstance) override;

    // What the host hands over through the exports: its database context (used when the
    // window is created), the tab's index, its main frame, the tab window's shared scroll
    // bars and the node's data, which is kept only.
    void SetHostContext(uint32_t hostContext) { m_hostContext = hostContext; }
    uint32_t GetHostContext() const { return m_hostContext; }
    void SetTabIndex(int tabIndex) { m_tabIndex = tabIndex; }
    void SetFrame(CWnd* frame) { m_frame = frame; }
    void SetHostScrollBars(CScrollBar* horizontal, CScrollBar* vertical) {
        m_horzBar = horizontal;
        m_vertBar = vertical;
    }
    void SetNodeData(void* nodeData) { m_nodeData = nodeData; }
    // The node shown; 0 before the first.
    uint32_t GetNodeId() const { return m_nodeId; }
    // The table of conversations; null before the window is created and after CloseView.
    KSCTable* GetTable() const { return m_table; }
    // The node's display name, or "Unknown Device".
    const std::string& GetDeviceName() const { return m_deviceName; }
    // The MIB object walked into column position (0-based) of the request.
    void SetColumnObject(int position, const char* object);
    // The pairs CollectPairs gathered for the conversation window.
    const std::vector<std::string>& GetPairNames() const { return m_pairNames; }
    const std::vector<std::string>& GetPairAddresses() const { return m_pairAddresses; }

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT id);
    afx_msg void OnDestroy();
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    afx_msg void OnHScroll(UINT code, UINT position, CScrollBar* bar);
    afx_msg LRESULT OnTableLayout(WPARAM, LPARAM);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg LRESULT OnMatrixUtilization(const AddressListNode* addresses,
                                        std::unique_ptr<char[]> indexText);
    afx_msg LRESULT OnMatrixBytes(const AddressListNode* addresses,
                                  std::unique_ptr<char[]> indexText);
    afx_msg LRESULT OnMatrixErrors(const AddressListNode* addresses,
                                   std::unique_ptr<char[]> indexText);
    afx_msg LRESULT OnMatrixPackets(const AddressListNode* addresses,
                                    std::unique_ptr<char[]> indexText);
    DECLARE_MESSAGE_MAP()

  private:
    static BOOL IsWindowObject(const CWnd* window);

    void CreateTable();
    void ReleaseTable();
    void ForwardScroll(UINT message, int bar, UINT code, UINT position, CScrollBar* from);
    static UINT ThumbPosition(CScrollBar* bar, UINT position);
    SECTabWnd* ActiveHostTab() const;
    void CopyScrollState(int bar, CScrollBar* target, BOOL clear);
    void OpenCategoryGraph(GraphCategory category);
    void OpenPairGraph(GraphCategory category, const AddressListNode* addresses,
                       const char* indexText);
    void OpenSingleGraph(GraphDefinition& definition);
    CWnd* MakeGraphPage(CMDIChildWnd* container, GraphDefinition& definition);
    CMDIFrameWnd* GraphParentFrame() const;
    BOOL ActiveFrameMaximized() const;
    void WriteSeries(DbHandle record, const GraphDefinition& definition) const;
    void OpenConversationWindow();
    void AddPairMember(const std::string& name, const std::string& address);

    void ReadDeviceName();
    int AppendConversation(DbHandle answer, const char* index);
    void StoreCounters(DbHandle answer, int row);
    void RequestName(const char* address, int row);
    BOOL RowHoldsConversation(int row, const char* index, const char* source,
                              const char* destination) const;
    void RebuildRowIndex();
    bool PutNameIfAddress(int row, int addressColumn, int nameColumn, const char* address,
                          const char* name);

    ViewHost& m_host;
    MatrixRowIndex m_rowIndex;
    uint32_t m_hostContext = 0;
    uint32_t m_nodeId = 0;
    int m_tabIndex = -1;
    CWnd* m_frame = nullptr;
    KSCTable* m_table = nullptr;
    CScrollBar* m_horzBar = nullptr;
    CScrollBar* m_vertBar = nullptr;
    void* m_nodeData = nullptr;
    uint32_t m_conversionSlot = 0;
    char m_columnObjects[MAX_COLUMN_OBJECTS][COLUMN_OBJECT_SIZE] = {};
    int m_columnCount = 0;
    std::string m_deviceName;
    std::vector<std::string> m_pairNames;
    std::vector<std::string> m_pairAddresses;
};
