#pragma once

#include <functional>

// Runs release after the last benchmark, before main returns (latest first).
void ReleaseAtEnd(std::function<void()> release);
