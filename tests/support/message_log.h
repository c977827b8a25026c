// Message-sequence testing: every logging window appends the messages it receives to one
// log; a test compares the log with a table of expected messages. An expected entry may be
// optional, and its parameters are compared only when flagged.
#pragma once

#include "platform/core/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct LoggedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

enum ExpectFlags : unsigned {
    kExact = 0,
    kOptional = 1u << 0, // may be missing
    kWParam = 1u << 1,   // wParam must match
    kLParam = 1u << 2,   // lParam must match
    kParams = kWParam | kLParam,
};

struct ExpectedMessage {
    UINT message;
    unsigned flags = kExact;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class MessageLog {
  public:
    static void Clear();
    static void Add(const LoggedMessage& message);
    static const std::vector<LoggedMessage>& Messages();
    // The messages one window received, in order.
    static std::vector<LoggedMessage> MessagesOf(HWND hWnd);

    // Compares what hWnd received (all windows for NULL) with the table and clears the log.
    static ::testing::AssertionResult Matches(HWND hWnd,
                                              const std::vector<ExpectedMessage>& expected);
    // Messages left out of every log (for example WM_SETCURSOR around mouse input).
    static void Ignore(std::vector<UINT> messages);
};

// A readable name of a message ("WM_SIZE", or "0x0401").
std::string MessageName(UINT message);

#define EXPECT_MESSAGES(hwnd, ...) EXPECT_TRUE(MessageLog::Matches((hwnd), __VA_ARGS__))
