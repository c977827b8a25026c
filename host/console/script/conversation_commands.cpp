#include "host/console/script/conversation_commands.h"

#include "common/number_text.h"
#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"
#include "host/console/script/tab_fields.h"
#include "hostapi/tessaran_ids.h"
#include "hostapi/window_report.h"
#include "platform/core/text_reply.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"

#include <fstream>
#include <sstream>
#include <tuple>

namespace {

// A drag crosses the window in this many moves.
constexpr int kDragSteps = 8;

using Record = std::vector<std::string>;

std::string ReportOf(HWND window) {
    return ReadTextReply(window, WM_GETREPORT);
}

// The report's tab-separated records whose first field is kind.
std::vector<Record> RecordsOf(const std::string& report, const std::string& kind) {
    std::vector<Record> records;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        Record fields = SplitTabs(line);
        if (!fields.empty() && fields[0] == kind) {
            records.push_back(std::move(fields));
        }
    }
    return records;
}

HWND ActiveChild(const QuillonFrame& frame) {
    return reinterpret_cast<HWND>(SendMessage(frame.m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
}

// The conversation control of the active child, else of the topmost conversation window
// (a graph it opened is active now); null with the reason in error when there is none.
HWND ConversationControl(const QuillonFrame& frame, std::string& error) {
    const HWND active = ActiveChild(frame);
    if (const HWND control = active ? GetDlgItem(active, IDC_CONVERSATION_CTRL) : nullptr) {
        return control;
    }
    for (HWND child = GetWindow(frame.m_hWndMDIClient, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (const HWND control = GetDlgItem(child, IDC_CONVERSATION_CTRL)) {
            return control;
        }
    }
    error = "no conversation window is open";
    return nullptr;
}

// The centre of a node by name, or "#N" for the node at position N when no node has that
// name; "" or why not.
std::string NodeCentre(const std::string& report, const std::string& name, POINT& centre) {
    const std::vector<Record> nodes = RecordsOf(report, "node");
    const Record* found = nullptr;
    for (const Record& node : nodes) {
        if (node.size() >= 4 && node[1] == name && found == nullptr) {
            found = &node;
        }
    }
    size_t position = 0;
    if (found == nullptr && name.size() > 1 && name[0] == '#' &&
        ParseWholeInteger(std::string_view(name).substr(1), position) == NumberError::kNone) {
        found = position < nodes.size() && nodes[position].size() >= 4 ? &nodes[position] : nullptr;
    }
    if (found == nullptr) {
        return "no node \"" + name + "\"";
    }
    if (ParseWholeInteger((*found)[2], centre.x) != NumberError::kNone ||
        ParseWholeInteger((*found)[3], centre.y) != NumberError::kNone) {
        return "node \"" + name + "\" has no centre in the window's report";
    }
    return "";
}

LPARAM At(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

// Messages as a person's drag makes them: button down, moves along the way, button up.
void SendDrag(HWND control, POINT from, POINT to, bool ctrl) {
    const WPARAM keys = ctrl ? MK_CONTROL : 0;
    SendMessage(control, WM_LBUTTONDOWN, keys | MK_LBUTTON, At(from));
    for (int step = 1; step <= kDragSteps; ++step) {
        const POINT on = {from.x + (to.x - from.x) * step / kDragSteps,
                          from.y + (to.y - from.y) * step / kDragSteps};
        SendMessage(control, WM_MOUSEMOVE, keys | MK_LBUTTON, At(on));
    }
    SendMessage(control, WM_LBUTTONUP, keys, At(to));
}

std::string Drag(const QuillonFrame& frame, const std::vector<std::string>& args) {
    const bool ctrl = args.size() == 3 && args[2] == "ctrl";
    if (args.size() != 2 && !ctrl) {
        return "usage: drag FROM TO [ctrl]";
    }
    std::string error;
    const HWND control = ConversationControl(frame, error);
    if (control == nullptr) {
        return error;
    }
    const std::string report = ReportOf(control);
    POINT from{}, to{};
    std::string reason = NodeCentre(report, args[0], from);
    if (reason.empty()) {
        reason = NodeCentre(report, args[1], to);
    }
    if (!reason.empty()) {
        return reason;
    }
    SendDrag(control, from, to, ctrl);
    return "";
}

std::string AddressOf(const std::string& windowReport, const std::string& name) {
    for (const Record& address : RecordsOf(windowReport, "address")) {
        if (address.size() >= 3 && address[1] == name) {
            return address[2];
        }
    }
    return "";
}

std::string DumpConversation(const QuillonFrame& frame, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return "usage: dump-conversation FILE";
    }
    std::string error;
    const HWND control = ConversationControl(frame, error);
    if (control == nullptr) {
        return error;
    }
    const std::string windowReport = ReportOf(GetParent(control));
    const std::string controlReport = ReportOf(control);
    std::ofstream out(args[0]);
    for (const Record& index : RecordsOf(windowReport, "index")) {
        out << "index\t" << (index.size() > 1 ? index[1] : "") << '\n';
    }
    for (const Record& node : RecordsOf(controlReport, "node")) {
        if (node.size() < 7) {
            continue;
        }
        out << "node\t" << node[1] << '\t' << AddressOf(windowReport, node[1]) << '\t' << node[2]
            << ',' << node[3] << '\t' << node[4] << ',' << node[5] << '\t' << node[6] << '\n';
    }
    for (const Record& pair : RecordsOf(controlReport, "pair")) {
        if (pair.size() >= 3) {
            out << "pair\t" << pair[1] << '\t' << pair[2] << '\n';
        }
    }
    for (const Record& sent : RecordsOf(windowReport, "sent")) {
        if (sent.size() >= 2) {
            out << "sent\t" << sent[1] << '\n';
        }
    }
    return out ? "" : "cannot write " + args[0];
}

// The window's own context menu, opened as from the menu key, with the item chosen.
std::string Menu(const QuillonFrame& frame, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !ScriptRunner::ParseCount(args[0], id) || id == 0) {
        return "usage: menu ID";
    }
    const HWND active = ActiveChild(frame);
    if (active == nullptr) {
        return "no window is active";
    }
    const UINT command = static_cast<UINT>(id);
    const size_t menus = platform::OfferedMenus().size();
    platform::ChooseMenuCommand(command);
    SendMessage(active, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(active), MAKELPARAM(-1, -1));
    if (platform::OfferedMenus().size() == menus) {
        return "the active window opened no menu";
    }
    if (platform::OfferedMenus().back().chosen != command) {
        return "the menu offers no command " + args[0];
    }
    return "";
}

std::string ScreenshotActive(const QuillonFrame& frame, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return "usage: screenshot-active FILE";
    }
    const HWND active = ActiveChild(frame);
    if (active == nullptr) {
        return "no window is active";
    }
    return PlatformApp::SaveWindowImage(active, args[0].c_str()) ? "" : "cannot write " + args[0];
}

} // namespace

void RegisterConversationCommands(ScriptRunner& runner, QuillonFrame& frame) {
    using Command = std::string (*)(const QuillonFrame&, const std::vector<std::string>&);
    using Kind = ScriptRunner::Kind;
    const std::tuple<const char*, Command, Kind> commands[] = {
        {"drag", &Drag, Kind::Acts},
        {"dump-conversation", &DumpConversation, Kind::Observes},
        {"menu", &Menu, Kind::Acts},
        {"screenshot-active", &ScreenshotActive, Kind::Observes},
    };
    for (const auto& [name, command, kind] : commands) {
        runner.AddCommand(
            name,
            [&frame, command = command](const std::vector<std::string>& args) {
                return ScriptRunner::Failed(command(frame, args));
            },
            kind);
    }
}
