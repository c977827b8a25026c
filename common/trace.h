// The trace channel: TESSARAN_TRACE names the channels whose events go to standard error,
// one line each, as a debug channel does. Channels, any subset, comma-separated:
//   msg    window messages as they are dispatched (window, message, parameters)
//   snmp   SNMP requests sent and their answers, with the time each took
//   walk   walks of a table started and ended (rows, status, time)
//   graph  graph polls sent and their samples
// A line reads "trace CHANNEL HH:MM:SS.mmm what happened". Off by default: a call site
// costs one load and one test (TraceOn) until a channel is named.
#pragma once

#include <string>

enum class TraceChannel : unsigned {
    kMsg = 1u << 0,
    kSnmp = 1u << 1,
    kWalk = 1u << 2,
    kGraph = 1u << 3,
};

// The channels TESSARAN_TRACE named when the program started, as bits of TraceChannel.
extern unsigned g_traceChannels;

inline bool TraceOn(TraceChannel channel) {
    return (g_traceChannels & static_cast<unsigned>(channel)) != 0;
}

// Writes one line of a channel that is on (callers test TraceOn first, so that an idle
// channel costs nothing to format).
void TraceLine(TraceChannel channel, const std::string& text);

// The channels a TESSARAN_TRACE value names; `unknown` gets the words that name none,
// comma-separated ("" when every word is a channel).
unsigned ParseTraceChannels(const char* value, std::string& unknown);

// The words of TESSARAN_TRACE that name no channel, for a program to report once.
std::string UnknownTraceChannels();
