// Ids that the plug-in and its host share: the commands of the plug-in's context menus, the
// host menu commands that the Command and MenuUpdate exports carry, and the child windows the
// plug-in creates in the host's tab window (the view), inside the view (its table) and inside the
// conversation matrix window (its drawing control), by which a host finds them.
#pragma once

// Commands of the plug-in's context menus. A choice in the Matrix view's menu reaches the
// host's top-level window, which hands it back through the Command export.
#define ID_GRAPH_UTILIZATION 32779
#define ID_GRAPH_PACKETS 32780
#define ID_GRAPH_BYTES 32781
#define ID_GRAPH_ERRORS 32782
#define ID_GRAPH_ALL 32783
#define ID_CONVERSATIONS 32784

// Commands of the host's menu, handed over through the Command export.
#define ID_HOST_UTILIZATION 32786
#define ID_HOST_ERRORS 32787
#define ID_HOST_BYTES 32788
#define ID_HOST_PACKETS 32789
#define ID_HOST_ALL 40000

// Child windows.
#define IDC_MATRIX_VIEW 6001
#define IDC_MATRIX_TABLE 6301
#define IDC_CONVERSATION_CTRL 5555
