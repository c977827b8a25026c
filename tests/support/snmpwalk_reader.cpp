#include "tests/support/snmpwalk_reader.h"

#include <cstdio>
#include <fstream>

namespace {

// -On numeric names, -Oq bare values, -Oe enumerations and -Ot time ticks as numbers, -Ox
// every octet string in hexadecimal; -Cc leaves the order check to the test. snmpsimd, a
// Python agent, may take seconds for one answer on a loaded machine: 5 s a try.
const char kOptions[] = " -t 5 -r 2 -On -Oq -Oe -Ot -Ox -Cc ";
const char kEndOfView[] = "No more variables left";

std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// Observed: a hexadecimal string is printed in quotes with a blank before the closing one.
std::string Unquote(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = TrimEnd(text.substr(1, text.size() - 2));
    }
    return text;
}

} // namespace

std::vector<WalkedVariable> Snmpwalk(const std::string& agent, const std::string& oid,
                                     const std::string& version) {
    return RunWalk("snmpwalk -v" + version + " -c public", agent, oid);
}

std::vector<WalkedVariable> RunWalk(const std::string& walk, const std::string& agent,
                                    const std::string& oid) {
    std::vector<WalkedVariable> variables;
    const std::string command = walk + kOptions + agent + " " + oid + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return variables;
    }
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        const std::string line = TrimEnd(buffer);
        const size_t blank = line.find(' ');
        if (line.size() < 2 || line[0] != '.' || blank == std::string::npos) {
            continue;
        }
        std::string value = Unquote(line.substr(blank + 1));
        if (value.rfind(kEndOfView, 0) != 0) {
            variables.push_back({line.substr(1, blank - 1), std::move(value)});
        }
    }
    pclose(pipe);
    return variables;
}

std::string ProbePort(const std::string& probeDir) {
    std::string port;
    std::ifstream(probeDir + "/port") >> port;
    return port;
}
