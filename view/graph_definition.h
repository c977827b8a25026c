// What a category or pair builder hands to PostGraph: the series of one graph and the
// window the host draws it in, and the request for a single graph's frame.
#pragma once

#include "platform/core/win32_types.h"

#include <string>
#include <vector>

// Room for the expressions of one graph, and the size of each.
#define MAX_GRAPH_EXPRESSIONS 20
#define GRAPH_EXPRESSION_SIZE 2048
// Size of a single graph frame's title.
#define GRAPH_TITLE_SIZE 256

// Built on the stack by one builder, read by PostGraph. Series k is instance k /
// expressionCount with expression k % expressionCount (conversation-major) and legend k.
struct GraphDefinition {
    HWND window = nullptr;   // the window the host draws the graph in
    int optionA = 1;         // FLD_GRAPH_OPTION (a negative value is written as 0)
    int optionB = 1;         // FLD_TYPE
    int expressionCount = 0; // 1, or 2 for Packets
    int instanceCount = 0;   // conversations
    char expressions[MAX_GRAPH_EXPRESSIONS][GRAPH_EXPRESSION_SIZE] = {};
    std::vector<std::string> instances;
    std::vector<std::string> legends;
    std::string title; // FLD_NAME
};

// A single graph's frame to open; made on the heap by a builder, deleted after use.
struct GraphWindowRequest {
    char title[GRAPH_TITLE_SIZE] = "";
    DWORD style = 0;
    RECT rect = {0, 0, 0, 0};
    GraphDefinition* definition = nullptr;
};
