// CMatrixView: the window that fills the plug-in's tab in the host's per-node
// window. It lists the matrix conversations of the selected probe in its table,
// kept filled through its CMibWalker base.
#pragma once

#include "hostdb/mib_walker.h"
#include "platform/afx.h"
#include "res/resource.h"

#include <stdint.h>
#include <string>
#include <vector>

class KSCTable;

// Room for the MIB object names of the walked columns.
#define MAX_COLUMN_OBJECTS 10
#define COLUMN_OBJECT_SIZE 100

class CMatrixView : public CWnd, public CMibWalker {
  public:
    CMatrixView();
    ~CMatrixView() override;

    // Takes a newly selected node.
    void ChangeNode(uint32_t nodeId);
    // Runs a menu or host command; every id is accepted.
    void DispatchCommand(UINT id);
    // Disconnects from the host database, destroys the table and unregisters
    // from the conversion module; the window itself stays.
    void CloseView();
    // Whether the graph commands apply: the table is a window with a selected row.
    BOOL HasSelectedRows() const;

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
    int m_currentRow = -1;
    std::string m_deviceName;
    std::vector<std::string> m_pairNames;
    std::vector<std::string> m_pairAddresses;

  protected:
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    DECLARE_MESSAGE_MAP()

  private:
    void ReadDeviceName();
};
