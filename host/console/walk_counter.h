// Counts the walks that end in the host database: an answered get-next request whose first
// variable has left its requested column, or that carries an error, ends a walk. Script mode
// waits on this count; the plug-in stays a black box.
#pragma once

#include "hostapi/ksdbapi.h"

class WalkCounter {
  public:
    WalkCounter();
    ~WalkCounter();
    WalkCounter(const WalkCounter&) = delete;
    WalkCounter& operator=(const WalkCounter&) = delete;

    int Count() const { return m_count; }
    // Looks at one answered request record.
    void OnAnswer(DbHandle record);

  private:
    int m_count = 0;
};
