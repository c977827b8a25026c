// System colours and metrics: the classic Windows scheme at 1024 x 768, fixed so that every
// run paints the same pixels.
#include "platform/core/win32_user.h"
#include "platform/gdi/gdi_surface.h"

#include <QApplication>

#include <array>
#include <iterator>

namespace {

const COLORREF kSysColors[] = {
    RGB(192, 192, 192), // COLOR_SCROLLBAR
    RGB(0, 128, 128),   // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(192, 192, 192), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 0, 128),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(192, 192, 192), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(192, 192, 192), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
};
constexpr int kSysColorCount = int(std::size(kSysColors));

struct Metric {
    int index;
    int value;
};

const Metric kMetrics[] = {
    {SM_CXSCREEN, 1024},     {SM_CYSCREEN, 768},        {SM_CXVSCROLL, 16},    {SM_CYHSCROLL, 16},
    {SM_CYCAPTION, 18},      {SM_CXBORDER, 1},          {SM_CYBORDER, 1},      {SM_CXDLGFRAME, 3},
    {SM_CYDLGFRAME, 3},      {SM_CYVTHUMB, 16},         {SM_CXHTHUMB, 16},     {SM_CXICON, 32},
    {SM_CYICON, 32},         {SM_CXCURSOR, 32},         {SM_CYCURSOR, 32},     {SM_CYMENU, 18},
    {SM_CXFULLSCREEN, 1024}, {SM_CYFULLSCREEN, 749},    {SM_MOUSEPRESENT, 1},  {SM_CYVSCROLL, 16},
    {SM_CXHSCROLL, 16},      {SM_SWAPBUTTON, 0},        {SM_CXMIN, 112},       {SM_CYMIN, 27},
    {SM_CXSIZE, 18},         {SM_CYSIZE, 18},           {SM_CXFRAME, 4},       {SM_CYFRAME, 4},
    {SM_CXMINTRACK, 112},    {SM_CYMINTRACK, 27},       {SM_CXDOUBLECLK, 4},   {SM_CYDOUBLECLK, 4},
    {SM_CXICONSPACING, 75},  {SM_CYICONSPACING, 75},    {SM_CMOUSEBUTTONS, 3}, {SM_CXEDGE, 2},
    {SM_CYEDGE, 2},          {SM_CXSMICON, 16},         {SM_CYSMICON, 16},     {SM_CXDRAG, 4},
    {SM_CYDRAG, 4},          {SM_MOUSEWHEELPRESENT, 1},
};

} // namespace

// An index outside the table answers 0, as Windows does for an unsupported colour.
DWORD GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount) {
        return 0;
    }
    return kSysColors[index];
}

// One permanent brush per colour, made on first use; DeleteObject leaves it alive.
HBRUSH GetSysColorBrush(int index) {
    static std::array<HBRUSH, kSysColorCount> brushes{};
    if (index < 0 || index >= kSysColorCount) {
        return nullptr;
    }
    if (brushes[index] == nullptr) {
        brushes[index] = GdiCreatePermanentBrush(kSysColors[index]);
    }
    return brushes[index];
}

int GetSystemMetrics(int index) {
    for (const Metric& metric : kMetrics) {
        if (metric.index == index) {
            return metric.value;
        }
    }
    return 0;
}

void MessageBeep(UINT) {
    if (QApplication::instance() != nullptr) {
        QApplication::beep();
    }
}
