// The plug-in's exported entry points, as the host calls them, in this order: the
// library is loaded; InitTab when the host builds the tab; SetScrollBars when it
// has scroll bars to share; SetNode whenever the user selects another node;
// Command and MenuUpdate while the tab exists; Close when the tab closes; the
// library is unloaded. Hosts look them up by these names.
#pragma once

#include "hostapi/tessaran_ids.h"
#include "platform/framework/afx.h"

#include <stdint.h>

extern "C" {

// Creates the view window as child 6001 of parent; returns its handle, NULL when
// it does not exist. viewOut receives the view object.
HWND InitTab(uint32_t hostContext, CWnd* parent, CWnd* frame, CWnd** viewOut, uint32_t reserved,
             int tabIndex);
BOOL SetNode(uint32_t nodeId, void* nodeData);
BOOL Command(UINT id);
BOOL SetScrollBars(CScrollBar* horizontal, CScrollBar* vertical);
BOOL Close();
BOOL LoadSubMenu(uint32_t reserved1, uint32_t reserved2);
BOOL MenuUpdate(UINT id);
}

typedef HWND (*InitTabProc)(uint32_t, CWnd*, CWnd*, CWnd**, uint32_t, int);
typedef BOOL (*SetNodeProc)(uint32_t, void*);
typedef BOOL (*CommandProc)(UINT);
typedef BOOL (*SetScrollBarsProc)(CScrollBar*, CScrollBar*);
typedef BOOL (*CloseProc)();
typedef BOOL (*LoadSubMenuProc)(uint32_t, uint32_t);
typedef BOOL (*MenuUpdateProc)(UINT);
