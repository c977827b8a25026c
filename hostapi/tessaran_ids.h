// Ids that the plug-in and its host share: the host menu commands that the Command and
// MenuUpdate exports carry, and the child windows the plug-in creates in the host's tab
// window (the view), inside the view (its table) and inside the conversation matrix window
// (its drawing control), by which a host finds them.
#pragma once

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
