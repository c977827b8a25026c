#include "tests/support/memory_agent.h"

#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/value_format.h"
#include "hostapi/ksdb_codes.h"
#include "hostapi/ksdbapi.h"

#include <charconv>
#include <fstream>

namespace ksdb {
namespace {

const int kNoSuchName = 2; // SNMPv1 error status
const int kGenErr = 5;
const int kWrongType = 7;
const int kNotWritable = 17;

bool HexToBytes(std::string_view hex, std::string& bytes) {
    bytes.clear();
    if (hex.size() % 2) {
        return false;
    }
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned byte = 0;
        auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, byte, 16);
        if (error != std::errc() || end != hex.data() + i + 2) {
            return false;
        }
        bytes += static_cast<char>(byte);
    }
    return true;
}

// Reads the value text of one snmprec line into a value of BER type `type`.
bool ReadValue(uint8_t type, std::string_view text, bool hex, SnmpValue& value) {
    value = SnmpValue::Octets({});
    value.type = type;
    switch (type) {
    case kAsnOctetString:
    case kAsnOpaque:
        if (hex) {
            return HexToBytes(text, value.bytes);
        }
        value.bytes.assign(text);
        return true;
    case kAsnIpAddress:
        return hex ? HexToBytes(text, value.bytes)
                   : ParseValue(text, KSDB_SYNTAX_IP_ADDRESS, value);
    case kAsnObjectId:
        return ParseOid(text, value.oid);
    case kAsnNull:
        return true;
    case kAsnInteger: {
        int32_t number = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        value.number = number;
        return error == std::errc() && end == text.data() + text.size();
    }
    default: {
        uint64_t number = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        value.number = static_cast<int64_t>(number);
        return error == std::errc() && end == text.data() + text.size();
    }
    }
}

bool ReadLine(std::string_view line, Oid& name, SnmpValue& value) {
    size_t bar1 = line.find('|');
    size_t bar2 = bar1 == line.npos ? line.npos : line.find('|', bar1 + 1);
    if (bar2 == line.npos || !ParseOid(line.substr(0, bar1), name)) {
        return false;
    }
    std::string_view tag = line.substr(bar1 + 1, bar2 - bar1 - 1);
    std::string_view text = line.substr(bar2 + 1);
    unsigned type = 0;
    auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), type);
    if (error != std::errc() || type > 0xff) {
        return false;
    }
    std::string_view rest(end, tag.data() + tag.size() - end);
    if (!rest.empty() && rest.front() == ':') {
        // A variation module computes the value; without one it starts from nothing.
        value = SnmpValue::Number(static_cast<uint8_t>(type), 0);
        return true;
    }
    return ReadValue(static_cast<uint8_t>(type), text, rest == "x", value);
}

} // namespace

bool MemoryAgent::LoadSnmprec(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        Oid name;
        SnmpValue value;
        if (!ReadLine(line, name, value)) {
            return false;
        }
        m_objects[name] = std::move(value);
    }
    return true;
}

void MemoryAgent::AddConversation(int32_t index, const std::string& source,
                                  const std::string& destination, uint32_t packets, uint32_t octets,
                                  uint32_t errors) {
    Oid instance = {static_cast<uint32_t>(index)};
    for (const std::string* address : {&source, &destination}) {
        instance.push_back(static_cast<uint32_t>(address->size()));
        for (unsigned char byte : *address) {
            instance.push_back(byte);
        }
    }
    const SnmpValue columns[] = {
        SnmpValue::Octets(source),
        SnmpValue::Octets(destination),
        SnmpValue::Number(kAsnInteger, index),
        SnmpValue::Number(kAsnCounter32, packets),
        SnmpValue::Number(kAsnCounter32, octets),
        SnmpValue::Number(kAsnCounter32, errors),
    };
    for (uint32_t column = 1; column <= 6; ++column) {
        Oid name = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1, column};
        name.insert(name.end(), instance.begin(), instance.end());
        m_objects[name] = columns[column - 1];
    }
}

bool MemoryAgent::AnswerGet(SnmpVarBind& var) {
    auto it = m_objects.find(var.name);
    if (it == m_objects.end()) {
        var.value = SnmpValue::Number(kAsnNoSuchInstance, 0);
        return false;
    }
    var.value = it->second;
    return true;
}

bool MemoryAgent::AnswerGetNext(SnmpVarBind& var) {
    auto it = m_objects.upper_bound(var.name);
    if (it == m_objects.end()) {
        var.value = SnmpValue::Number(kAsnEndOfMibView, 0);
        return false;
    }
    var.name = it->first;
    var.value = it->second;
    return true;
}

int MemoryAgent::AnswerSet(SnmpVarBind& var) {
    auto it = m_objects.find(var.name);
    if (it == m_objects.end()) {
        return kNotWritable;
    }
    if (it->second.type != var.value.type) {
        return kWrongType;
    }
    it->second = var.value;
    return 0;
}

SnmpAnswer MemoryAgent::AnswerBulk(const SnmpRequest& request) {
    SnmpAnswer answer;
    std::vector<SnmpVarBind> row = request.vars;
    for (int repetition = 0; repetition < request.maxRepetitions; ++repetition) {
        bool any = false;
        for (SnmpVarBind& var : row) {
            any = AnswerGetNext(var) || any;
        }
        if (m_maxAnswerVars && answer.vars.size() + row.size() > m_maxAnswerVars) {
            break;
        }
        answer.vars.insert(answer.vars.end(), row.begin(), row.end());
        if (!any) {
            break;
        }
    }
    return answer;
}

SnmpAnswer MemoryAgent::Answer(const SnmpRequest& request, int version) {
    if (request.kind == kReqGetBulk) {
        return version == 0 ? SnmpAnswer{kGenErr, request.vars} : AnswerBulk(request);
    }
    SnmpAnswer answer;
    answer.vars = request.vars;
    for (SnmpVarBind& var : answer.vars) {
        int status = 0;
        if (request.kind == DB_REQ_SET) {
            status = AnswerSet(var);
        } else if (!(request.kind == DB_REQ_GET ? AnswerGet(var) : AnswerGetNext(var))) {
            status = version == 0 ? kNoSuchName : 0;
        }
        if (status) {
            // An error answer echoes the request's variables, as agents do.
            answer.status = version == 0 && status == kNotWritable ? kNoSuchName : status;
            answer.vars = request.vars;
            return answer;
        }
    }
    return answer;
}

} // namespace ksdb
