// CMatrixView: the category graphs. A choice of conversations — the selected rows, or node
// pairs from the conversation window — becomes one graph record of the host's graph table
// (table 12) with the window the host is to draw in; the host answers the graph window,
// which goes into a single-graph frame or a page of the "All" frame.
#include "view/address_oid.h"
#include "view/matrix_view.h"

#include "hostapi/ksmem32.h"
#include "table/ksc_table.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>

namespace {

// What one category shows: its title word, and per series its name and expression.
struct CategorySpec {
    const char* word;
    int seriesCount;
    const char* seriesNames[2];
    const char* expressions[2];
};

// Indexed by GraphCategory - 1. The expressions are the host's notation, handed over as
// they are: a column name in braces is its increase over the interval, {$time} the
// interval in hundredths of a second.
const CategorySpec kCategories[] = {
    {"Utilization", 1, {"Utilization"}, {"100 * (800*{matrixSDOctets}/({$time}*10000000))"}},
    {"Errors", 1, {"Errors"}, {"({matrixSDErrors}/{matrixSDPkts})*100"}},
    {"Bytes", 1, {"Bytes"}, {"{matrixSDOctets}"}},
    {"Packets", 2, {"Packets", "Errors"}, {"{matrixSDPkts}", "{matrixSDErrors}"}},
};

// Graph records carry these in every series.
constexpr int32_t kSeriesCode = 174;
constexpr int32_t kSeriesOn = 1;

// The "All" frame is made minimised and hidden, and shown once its pages are in.
constexpr DWORD kGraphFrameStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kAllFrameStyle = WS_CHILD | WS_MINIMIZE | WS_OVERLAPPEDWINDOW;
static_assert(kGraphFrameStyle == 0x50CF0000 && kAllFrameStyle == 0x60CF0000);

// Pieces of a graph title are cut at this length.
constexpr size_t kTitlePieceLimit = 1024;

// The graph sits two pixels up and left of its frame's client area, so that its own
// border stays out of sight.
constexpr int kGraphInset = 2;

const CategorySpec* FindCategory(GraphCategory category) {
    if (category < GRAPH_UTILIZATION || category > GRAPH_PACKETS) {
        return nullptr;
    }
    return &kCategories[category - 1];
}

const char* CategoryWord(GraphCategory category) {
    const CategorySpec* spec = FindCategory(category);
    return spec != nullptr ? spec->word : "UnknownCategory";
}

// The definition's expressions of the category, each cut to its buffer.
void SetExpressions(GraphDefinition& definition, const CategorySpec& spec) {
    definition.expressionCount = spec.seriesCount;
    for (int j = 0; j < spec.seriesCount; ++j) {
        snprintf(definition.expressions[j], GRAPH_EXPRESSION_SIZE, "%s", spec.expressions[j]);
    }
}

void AppendPiece(std::string& text, const std::string& piece) {
    text.append(piece, 0, kTitlePieceLimit);
}

void SetRecordText(DbHandle record, uint32_t field, const std::string& text) {
    DbSetText(record, field, text.c_str(), static_cast<int>(text.size()));
}

int32_t HandleValue(HWND window) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

// A text of the conversation window, read within its buffer's size.
std::string BoundedText(const char* text, size_t size) {
    return text != nullptr ? std::string(text, strnlen(text, size)) : std::string();
}

} // namespace

void CMatrixView::OpenCategoryGraph(GraphCategory category) {
    char scratch[GRAPH_PAGE_TITLE_SIZE] = "";
    BuildCategoryGraph(category, nullptr, FALSE, scratch, sizeof scratch);
}

std::vector<int> CMatrixView::CollectSelectedRows() const {
    std::vector<int> rows;
    for (int row = m_table->Model().GetNextSelectedRow(-1); row != -1;
         row = m_table->Model().GetNextSelectedRow(row)) {
        rows.push_back(row);
    }
    return rows;
}

void CMatrixView::AddressToOid(std::string& text) {
    text = AddressOid(text);
}

std::string CMatrixView::BuildInstance(int row) const {
    std::string source = m_table->Model().GetCellText(row, COL_SOURCE_ADDRESS);
    std::string destination = m_table->Model().GetCellText(row, COL_DESTINATION_ADDRESS);
    AddressToOid(source);
    AddressToOid(destination);
    return m_table->Model().GetCellText(row, COL_INDEX) + ".6" + source + ".6" + destination;
}

std::string CMatrixView::BuildPairLabel(int row) const {
    std::string source = m_table->Model().GetCellText(row, COL_SOURCE_NAME);
    std::string destination = m_table->Model().GetCellText(row, COL_DESTINATION_NAME);
    if (source.empty()) {
        source = Localize("Unavailable");
    }
    if (destination.empty()) {
        destination = Localize("Unavailable");
    }
    return source + "->" + destination;
}

std::string CMatrixView::BuildLegend(int row, const std::string& prefix, int mode) const {
    if (mode == LEGEND_SERIES) {
        return prefix;
    }
    std::string pair = BuildPairLabel(row);
    if (pair.empty()) {
        pair = Localize("Not available");
    }
    if (mode == LEGEND_PAIR) {
        return pair;
    }
    return prefix + "  (" + pair + ")";
}

std::string CMatrixView::BuildGraphTitle(GraphCategory category, int mode, int row) const {
    std::string title;
    AppendPiece(title, Localize(CategoryWord(category)));
    AppendPiece(title, Localize(" for "));
    AppendPiece(title, m_deviceName);
    if (mode == LEGEND_PAIR || mode == LEGEND_SERIES) {
        AppendPiece(title, " - ");
        AppendPiece(title, BuildLegend(row, "", LEGEND_PAIR));
    }
    return title;
}

// The rows come from the table's selection. Packets of one row names each series alone and
// puts the pair in the title; of several rows each legend names series and pair. The
// other categories have one series per row, named by the pair.
CWnd* CMatrixView::BuildCategoryGraph(GraphCategory category, CMDIChildWnd* container, BOOL inPage,
                                      char* titleOut, int titleSize) {
    const CategorySpec* spec = FindCategory(category);
    if (spec == nullptr || !IsWindowObject(m_table)) {
        return nullptr;
    }
    const std::vector<int> rows = CollectSelectedRows();
    const size_t selected = rows.size();
    if (selected == 0) {
        return nullptr;
    }
    int mode = LEGEND_PAIR;
    int titleMode = 0;
    if (category == GRAPH_PACKETS) {
        mode = selected == 1 ? LEGEND_SERIES : LEGEND_SERIES_AND_PAIR;
        titleMode = mode;
    }
    GraphDefinition definition;
    for (int row : rows) {
        definition.instances.push_back(BuildInstance(row));
        for (int j = 0; j < spec->seriesCount; ++j) {
            std::string legend = BuildLegend(row, Localize(spec->seriesNames[j]), mode);
            definition.legends.push_back(legend.empty() ? Localize("Instance Unavailable")
                                                        : legend);
        }
    }
    SetExpressions(definition, *spec);
    definition.instanceCount = static_cast<int>(definition.instances.size());
    // The host names the graph as its frame or page is titled; a pair in the title is the
    // last selected row's.
    definition.title = BuildGraphTitle(category, titleMode, rows.back());
    if (!inPage) {
        OpenSingleGraph(definition);
        return nullptr;
    }
    snprintf(titleOut, titleSize, "%s", definition.title.c_str());
    definition.title = titleOut;
    return MakeGraphPage(container, definition);
}

void CMatrixView::OpenSingleGraph(GraphDefinition& definition) {
    auto* request = new GraphWindowRequest;
    snprintf(request->title, sizeof request->title, "%s", definition.title.c_str());
    definition.title = request->title;
    request->style = kGraphFrameStyle;
    request->definition = &definition;
    OpenGraphWindow(request);
    delete request;
}

// A page of the container's tab window with the graph in it. A page whose window could
// not be made is deleted here; a made one goes to the container with its tab.
CWnd* CMatrixView::MakeGraphPage(CMDIChildWnd* container, GraphDefinition& definition) {
    GraphWindowFactory& windows = m_host.GraphWindows();
    SECTabWnd* tabs = windows.GetTabWnd(container);
    CWnd* page = windows.NewGraphPage();
    if (tabs == nullptr || !page->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0),
                                         tabs, IDC_GRAPH_PAGE)) {
        delete page;
        return nullptr;
    }
    definition.window = page->GetSafeHwnd();
    const HWND graph = PostGraph(definition);
    ::SetWindowLongPtr(page->GetSafeHwnd(), GWL_USERDATA, reinterpret_cast<LONG_PTR>(graph));
    return page;
}

void CMatrixView::OpenAllGraphs() {
    CMDIFrameWnd* frame = GraphParentFrame();
    if (frame == nullptr) {
        return;
    }
    const BOOL maximized = ActiveFrameMaximized();
    GraphWindowFactory& windows = m_host.GraphWindows();
    CMDIChildWnd* container = windows.NewTabFrame();
    if (!container->Create(nullptr, Localize("Matrix"), kAllFrameStyle, CFrameWnd::rectDefault,
                           frame, nullptr)) {
        return;
    }
    if (!windows.CreateTabWnd(container, WS_CHILD | WS_VISIBLE)) {
        MessageBox(Localize("Unable to create tab control inside MDIChild"), nullptr, MB_OK);
        return;
    }
    for (int category = GRAPH_UTILIZATION; category <= GRAPH_PACKETS; ++category) {
        char title[GRAPH_PAGE_TITLE_SIZE] = "";
        const auto graphCategory = static_cast<GraphCategory>(category);
        CWnd* page = BuildCategoryGraph(graphCategory, container, TRUE, title, sizeof title);
        if (IsWindowObject(page)) {
            windows.AddTab(container, page, Localize(CategoryWord(graphCategory)), title);
        }
    }
    SECTabWnd* tabs = windows.GetTabWnd(container);
    if (tabs->GetTabCount() == 0) {
        container->MDIDestroy();
        return;
    }
    tabs->ActivateTab(0);
    container->ShowWindow(SW_SHOWNORMAL);
    container->MDIActivate();
    if (maximized) {
        container->MDIMaximize();
    }
}

BOOL CMatrixView::OpenGraphWindow(GraphWindowRequest* request) {
    CMDIFrameWnd* frame = GraphParentFrame();
    if (frame == nullptr) {
        return FALSE;
    }
    const DWORD style = request->style | (ActiveFrameMaximized() ? WS_MAXIMIZE : 0);
    GraphWindowFactory& windows = m_host.GraphWindows();
    CMDIChildWnd* graphFrame = windows.NewGraphFrame();
    if (!graphFrame->Create(nullptr, request->title, style, CFrameWnd::rectDefault, frame,
                            nullptr)) {
        MessageBox(Localize("create graph failed"), nullptr, MB_OK);
        return FALSE;
    }
    request->definition->window = graphFrame->GetSafeHwnd();
    const HWND graph = PostGraph(*request->definition);
    // Without a graph the empty frame stays open.
    if (!::IsWindow(graph)) {
        return FALSE;
    }
    CRect client;
    graphFrame->GetClientRect(&client);
    ::SetWindowPos(graph, nullptr, -kGraphInset, -kGraphInset, client.Width() + kGraphInset,
                   client.Height() + kGraphInset, SWP_NOZORDER);
    windows.SetHostedGraph(graphFrame, graph);
    return TRUE;
}

// Graph frames are multi-document children of the host's main frame, which must be a
// live multi-document frame. With one, a child frame's creation fails only when its
// window refuses, and the window's end deletes the object (PostNcDestroy).
CMDIFrameWnd* CMatrixView::GraphParentFrame() const {
    if (!IsWindowObject(m_frame) || !m_frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) {
        return nullptr;
    }
    CMDIFrameWnd* frame = static_cast<CMDIFrameWnd*>(m_frame);
    return ::IsWindow(frame->m_hWndMDIClient) ? frame : nullptr;
}

// The host's frame answers its active child frame, or itself when it has none.
BOOL CMatrixView::ActiveFrameMaximized() const {
    if (m_frame == nullptr || !m_frame->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        return FALSE;
    }
    CFrameWnd* active = static_cast<CFrameWnd*>(m_frame)->GetActiveFrame();
    return IsWindowObject(active) && (active->GetStyle() & WS_MAXIMIZE) != 0;
}

// One record: the parent window, then every series (conversation-major), then the name.
// The host creates the graph while the record is posted and answers its window.
HWND CMatrixView::PostGraph(const GraphDefinition& definition) {
    if (definition.window == nullptr) {
        return nullptr;
    }
    const DbHandle graphs = DbOpenTable(GetConnection(), DB_TABLE_GRAPHS);
    if (graphs == 0) {
        return nullptr;
    }
    DbLockTable(graphs, DB_LOCK_WRITE);
    const DbHandle record = DbNewRecord(graphs);
    if (record == 0) {
        DbUnlockTable(graphs, DB_LOCK_WRITE);
        return nullptr;
    }
    DbSetInt(record, FLD_GRAPH_PARENT, HandleValue(definition.window));
    WriteSeries(record, definition);
    SetRecordText(record, FLD_NAME, definition.title);
    DbPostRecord(record);
    const int32_t graph = DbGetInt(record, FLD_GRAPH_WINDOW);
    DbUnlockTable(graphs, DB_LOCK_WRITE);
    return reinterpret_cast<HWND>(static_cast<intptr_t>(graph));
}

void CMatrixView::WriteSeries(DbHandle record, const GraphDefinition& definition) const {
    const int instances =
        std::min(definition.instanceCount, static_cast<int>(definition.instances.size()));
    const int expressions = std::min(definition.expressionCount, MAX_GRAPH_EXPRESSIONS);
    int k = 0;
    for (int i = 0; i < instances; ++i) {
        for (int j = 0; j < expressions; ++j, ++k) {
            DbSetInt(record, FLD_GRAPH_OPTION, std::max(definition.optionA, 0));
            DbSetInt(record, FLD_TYPE, definition.optionB);
            DbSetInt(record, FLD_SERIES_INDEX, k);
            DbSetInt(record, FLD_SERIES_NODE, static_cast<int32_t>(GetTargetNode()));
            DbSetInt(record, FLD_SERIES_CODE, kSeriesCode);
            SetRecordText(record, FLD_SERIES_INSTANCE, definition.instances[i]);
            DbSetInt(record, FLD_SERIES_ON, kSeriesOn);
            SetRecordText(record, FLD_SERIES_LEGEND,
                          k < static_cast<int>(definition.legends.size())
                              ? definition.legends[k]
                              : std::string(Localize("Instance Unavailable")));
            SetRecordText(record, FLD_SERIES_EXPRESSION,
                          BoundedText(definition.expressions[j], GRAPH_EXPRESSION_SIZE));
        }
    }
}

LRESULT CMatrixView::OnMatrixUtilization(const AddressListNode* addresses,
                                         std::unique_ptr<char[]> indexText) {
    OpenPairGraph(GRAPH_UTILIZATION, addresses, indexText.get());
    return 1;
}

LRESULT CMatrixView::OnMatrixBytes(const AddressListNode* addresses,
                                   std::unique_ptr<char[]> indexText) {
    OpenPairGraph(GRAPH_BYTES, addresses, indexText.get());
    return 0;
}

LRESULT CMatrixView::OnMatrixPackets(const AddressListNode* addresses,
                                     std::unique_ptr<char[]> indexText) {
    OpenPairGraph(GRAPH_PACKETS, addresses, indexText.get());
    return 0;
}

// The list holds two addresses per pair; a last address without a partner is ignored.
// The frame is titled like the category graphs, "<category> for <device>" (Packets
// too), and the host names the graph the same way.
void CMatrixView::OpenPairGraph(GraphCategory category, const AddressListNode* addresses,
                                const char* indexText) {
    const CategorySpec& spec = *FindCategory(category);
    const std::string index = BoundedText(indexText, MATRIX_INDEX_TEXT_SIZE);
    GraphDefinition definition;
    for (const AddressListNode* first = addresses; first != nullptr && first->next != nullptr;
         first = first->next->next) {
        const std::string source = BoundedText(first->address, ADDRESS_LIST_ADDRESS_SIZE);
        const std::string destination =
            BoundedText(first->next->address, ADDRESS_LIST_ADDRESS_SIZE);
        definition.instances.push_back(index + ".6." + source + ".6." + destination);
        const std::string pair = source + "->" + destination;
        if (category != GRAPH_PACKETS) {
            definition.legends.push_back(pair);
            continue;
        }
        definition.legends.push_back(std::string(Localize("Packets")) + ":" + pair);
        definition.legends.push_back(std::string(Localize("Errors")) + ":" + pair);
    }
    SetExpressions(definition, spec);
    definition.instanceCount = static_cast<int>(definition.instances.size());
    const std::string prefix = std::string(spec.word) + " for ";
    definition.title = std::string(Localize(prefix.c_str())) + m_deviceName;
    OpenSingleGraph(definition);
}
