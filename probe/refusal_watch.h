// Every request rmonprobe's agent refuses, counted and logged with its reason and source
// address. net-snmp counts most refusals in its statistics but says nothing of who sent
// them: the watch opens the agent's listeners itself, notes each datagram's source as it is
// read, and charges a refusal counter that rose while that datagram was handled to it.
// Two refusals net-snmp does not count are counted here: a request below its user's
// security level (answered authorizationError; counted in usmStatsUnsupportedSecLevels) and
// an encrypted message whose decryption gives no readable PDU (a wrong privacy key: AES has
// no check of its own; counted in usmStatsDecryptionErrors, where RFC 3414 counts a
// decryption that fails).
// The host's TCP wrappers files (hosts.allow, hosts.deny) are not consulted: net-snmp's
// agent would drop what they refuse without a count; the configuration's community
// networks say who may ask.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace probe {

// Opens net-snmp's transport `spec` ("udp:127.0.0.1:1161") as a listener of the agent, its
// datagrams' sources watched; false if it cannot be opened.
bool ListenWatched(const std::string& spec);

// Hooks the refusals net-snmp does not count and stops the TCP wrappers files from being
// read. Call after init_agent.
void WatchRefusals();

// What the first bytes of an SNMPv3 message say: whether it is encrypted, and the engine
// ID length and boots it was sent for (0 and 0: a manager discovering the engine, or
// learning its time). False if the datagram is no SNMPv3 message.
struct V3Header {
    bool encrypted = false;
    size_t engineIdLength = 0;
    uint32_t boots = 0;
};
bool PeekV3Header(const uint8_t* data, size_t size, V3Header& header);

struct Refusal {
    std::string reason;
    std::string source; // "10.0.0.7:40312", "[fd00::7]:40312"
};

// Turns refusals into log lines, at most kLinesPerWindow in each kWindow; the rest are
// counted by reason and summed up in one line when the window ends.
class RefusalLog {
  public:
    static constexpr size_t kLinesPerWindow = 5;
    static constexpr std::chrono::seconds kWindow{10};

    // The refusals the watch charged since the last call, as log lines.
    std::vector<std::string> Poll(std::chrono::steady_clock::time_point now);
    // The same for `refusals` (Poll's part that needs no agent).
    std::vector<std::string> Lines(const std::vector<Refusal>& refusals,
                                   std::chrono::steady_clock::time_point now);

  private:
    void EndWindow(std::chrono::steady_clock::time_point now, std::vector<std::string>& lines);

    std::chrono::steady_clock::time_point m_windowStart;
    size_t m_logged = 0;
    std::map<std::string, uint64_t> m_leftOut; // by reason
};

} // namespace probe
