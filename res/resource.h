// Resource, command and child-window ids of the module.
#pragma once

// Menus.
#define IDR_MATRIX_POPUP 150        // the Matrix view's context menu
#define IDR_MATRIX_WINDOW_POPUP 173 // the conversation matrix window's context menu

// Icons and bitmaps of the conversation drawing.
#define IDB_NODE_BOX 133         // 48 x 48: the hit box of a node
#define IDI_NODE_SHADOW 135      // 32 x 32: grey shadow of a computer
#define IDI_NODE 136             // 32 x 32: blue computer, normal
#define IDI_NODE_HIGHLIGHTED 137 // 32 x 32: yellow computer, highlighted

// The commands of the context menus, the host's menu commands and the child-window ids the
// host knows.
#include "hostapi/tessaran_ids.h"

// Child windows the host does not look for.
#define IDC_GRAPH_PAGE 3000 // a graph's page in the "All" window
