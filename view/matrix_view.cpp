#include "view/matrix_view.h"

#include "hostdb/ksmem32.h"
#include "plugin/host_services.h"
#include "table/ksc_table.h"

#include <stdio.h>

namespace {

// The walked columns of matrixSDTable, in request order.
const char* const kMatrixColumns[] = {"matrixSDIndex",       "matrixSDSourceAddress",
                                      "matrixSDDestAddress", "matrixSDOctets",
                                      "matrixSDPkts",        "matrixSDErrors"};

// Node display names are read through a buffer of this size.
constexpr int kNodeNameSize = 2048;

bool IsWindowObject(const CWnd* window) {
    return window != nullptr && ::IsWindow(window->GetSafeHwnd());
}

} // namespace

BEGIN_MESSAGE_MAP(CMatrixView, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

CMatrixView::CMatrixView() {
    // The walker aims at no node until the host selects one.
    m_node = static_cast<uint32_t>(-1);
    for (const char* column : kMatrixColumns) {
        snprintf(m_columnObjects[m_columnCount++], COLUMN_OBJECT_SIZE, "%s", column);
    }
}

CMatrixView::~CMatrixView() {
    delete m_table;
}

int CMatrixView::OnCreate(LPCREATESTRUCT createStruct) {
    if (CWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    if (!Connect(m_hostContext)) {
        return -1;
    }
    CallConvertMappedAddress(CONVERT_REGISTER, &m_conversionSlot);
    return 0;
}

void CMatrixView::ChangeNode(uint32_t nodeId) {
    m_nodeId = nodeId;
    SetTargetNode(nodeId);
    ReadDeviceName();
}

// The node's display name from the host's node table, or "Unknown Device".
void CMatrixView::ReadDeviceName() {
    m_deviceName = Localize("Unknown Device");
    if (m_nodeTable == 0) {
        return;
    }
    DbLockTable(m_nodeTable, DB_LOCK_READ);
    const DbHandle record = DbFindRecord(m_nodeTable, m_node);
    if (record != 0) {
        char name[kNodeNameSize] = "";
        DbGetText(record, FLD_NAME, name, sizeof name);
        name[sizeof name - 1] = '\0';
        if (name[0] != '\0') {
            m_deviceName = name;
        }
    }
    DbUnlockTable(m_nodeTable, DB_LOCK_READ);
}

void CMatrixView::DispatchCommand(UINT) {
    if (IsWindowObject(m_table)) {
        m_table->UpdateWindow();
    }
}

void CMatrixView::CloseView() {
    Disconnect();
    if (IsWindowObject(m_table)) {
        m_table->DestroyWindow();
        delete m_table;
        m_table = nullptr;
    }
    CallConvertMappedAddress(CONVERT_UNREGISTER, &m_conversionSlot);
}

BOOL CMatrixView::HasSelectedRows() const {
    return IsWindowObject(m_table) && m_table->GetNextSelectedRow(-1) != -1;
}
