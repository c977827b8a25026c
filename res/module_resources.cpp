// The module's resources: the two context menus, the computer icons and the node
// box bitmap, announced to the platform through the exported resource table.
#include "platform/framework/resource.h"
#include "res/resource.h"

#include <iterator>

namespace {

// Both context menus offer the graph commands in this order, in Chinese and in English;
// the platform loads the version of the user's language (English by default). The labels
// are shown as they are, not passed through Localize.
const RESMENUITEM kGraphPopupChinese[] = {
    {MF_POPUP | MF_END, 0, "Matrix"},
    {MF_STRING, ID_GRAPH_UTILIZATION, "应用(&U)"},
    {MF_STRING, ID_GRAPH_ERRORS, "错误(&E)"},
    {MF_STRING, ID_GRAPH_BYTES, "字节(&B)"},
    {MF_STRING, ID_GRAPH_PACKETS, "数据包(&P)"},
    {MF_STRING | MF_END, ID_GRAPH_ALL, "全部(&A)"},
};

const RESMENUITEM kGraphPopupEnglish[] = {
    {MF_POPUP | MF_END, 0, "Matrix"},          {MF_STRING, ID_GRAPH_UTILIZATION, "&Utilization"},
    {MF_STRING, ID_GRAPH_ERRORS, "&Errors"},   {MF_STRING, ID_GRAPH_BYTES, "&Bytes"},
    {MF_STRING, ID_GRAPH_PACKETS, "&Packets"}, {MF_STRING | MF_END, ID_GRAPH_ALL, "&All"},
};

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

const RESMENU kMenus[] = {
    {IDR_MATRIX_POPUP, kGraphPopupEnglish, std::size(kGraphPopupEnglish), kEnglish},
    {IDR_MATRIX_POPUP, kGraphPopupChinese, std::size(kGraphPopupChinese), kChinese},
    {IDR_MATRIX_WINDOW_POPUP, kGraphPopupEnglish, std::size(kGraphPopupEnglish), kEnglish},
    {IDR_MATRIX_WINDOW_POPUP, kGraphPopupChinese, std::size(kGraphPopupChinese), kChinese},
};

const char* const kIconShadow[] = {
    "32 32 2 1",
    ". c None",
    "s c #808080",
    "................................",
    "................................",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    "....ssssssssssssssssssssssss....",
    ".............ssssss.............",
    ".............ssssss.............",
    ".............ssssss.............",
    "..ssssssssssssssssssssssssssss..",
    "..ssssssssssssssssssssssssssss..",
    "..ssssssssssssssssssssssssssss..",
    "..ssssssssssssssssssssssssssss..",
    "..ssssssssssssssssssssssssssss..",
    "..ssssssssssssssssssssssssssss..",
    "................................",
    "................................",
};

const char* const kIconComputer[] = {
    "32 32 5 1",
    ". c None",
    "b c #0000FF",
    "g c #C0C0C0",
    "k c #000000",
    "w c #FFFFFF",
    "................................",
    "................................",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    "....kggggggggggggggggggggggk....",
    "....kggggggggggggggggggggggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbwwwwwwbbbbbbbbbbggk....",
    "....kggbbwwwwwwbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggbbbbbbbbbbbbbbbbbbggk....",
    "....kggggggggggggggggggggggk....",
    "....kggggggggggggggggggggggk....",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    ".............kggggk.............",
    ".............kggggk.............",
    ".............kkkkkk.............",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..kggggggggggggggggggggggggggk..",
    "..kggkkgkkgkkgkkgkkgkkgkkgkkgk..",
    "..kggggggggggggggggggggggggggk..",
    "..kggggggggggggggggggggggggggk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "................................",
    "................................",
};

const char* const kIconComputerHighlighted[] = {
    "32 32 5 1",
    ". c None",
    "g c #C0C0C0",
    "k c #000000",
    "w c #FFFFFF",
    "y c #FFFF00",
    "................................",
    "................................",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    "....kggggggggggggggggggggggk....",
    "....kggggggggggggggggggggggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyywwwwwwyyyyyyyyyyggk....",
    "....kggyywwwwwwyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggyyyyyyyyyyyyyyyyyyggk....",
    "....kggggggggggggggggggggggk....",
    "....kggggggggggggggggggggggk....",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    ".............kggggk.............",
    ".............kggggk.............",
    ".............kkkkkk.............",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "..kggggggggggggggggggggggggggk..",
    "..kggkkgkkgkkgkkgkkgkkgkkgkkgk..",
    "..kggggggggggggggggggggggggggk..",
    "..kggggggggggggggggggggggggggk..",
    "..kkkkkkkkkkkkkkkkkkkkkkkkkkkk..",
    "................................",
    "................................",
};

const char* const kBitmapNodeBox[] = {
    "48 48 3 1",
    "g c #C0C0C0",
    "k c #000000",
    "w c #FFFFFF",
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
    "kggggggggggggggggggggggggggggggggggggggggggggggk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kgwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgk",
    "kggggggggggggggggggggggggggggggggggggggggggggggk",
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
};

const RESIMAGE kIcons[] = {
    {IDI_NODE_SHADOW, kIconShadow, nullptr, 0},
    {IDI_NODE, kIconComputer, nullptr, 0},
    {IDI_NODE_HIGHLIGHTED, kIconComputerHighlighted, nullptr, 0},
};

const RESIMAGE kBitmaps[] = {
    {IDB_NODE_BOX, kBitmapNodeBox, nullptr, 0},
};

} // namespace

extern "C" MODULE_EXPORT const RESOURCETABLE ModuleResourceTable = {
    kMenus, std::size(kMenus), kIcons, std::size(kIcons), kBitmaps, std::size(kBitmaps)};
