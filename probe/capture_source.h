// Frames from libpcap: a live Ethernet interface or a capture file (pcap or pcapng), one at
// a time. Only Ethernet link layers are accepted, since the matrix counts MAC pairs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct pcap;

namespace probe {

struct CapturedFrame {
    const uint8_t* data = nullptr; // valid until the next call of Next
    uint32_t captured = 0;         // bytes at data
    uint32_t length = 0;           // the frame's length on the wire
    int64_t microseconds = 0;      // capture time since the epoch
};

class CaptureSource {
  public:
    enum class Result { kFrame, kIdle, kEnd, kError };

    // A capture of interface `name` in promiscuous mode, keeping the first `snapLength`
    // bytes of every frame. Null with `error` set if it cannot be opened.
    static std::unique_ptr<CaptureSource> OpenLive(const std::string& name, int snapLength,
                                                   std::string& error);
    // A capture file; null with `error` set if it cannot be read or is no capture file.
    static std::unique_ptr<CaptureSource> OpenFile(const std::string& path, std::string& error);
    ~CaptureSource();

    // The next frame: kFrame, kIdle (a live capture has no frame ready now), kEnd (the
    // file ended, or Stop was called) or kError (see Error()). Never waits on a live
    // capture, so that a caller holding frames back can hand them on when the link is quiet.
    Result Next(CapturedFrame& frame);
    // Waits until a live capture may have frames to read, Stop is called, or its read
    // time-out (a tenth of a second) passed. The kernel hands frames on at least that often
    // however slow the link.
    void Wait();
    // Frames the kernel dropped for want of buffer space since the capture opened (a
    // Counter32: it wraps); 0 for a file.
    uint32_t Drops();
    // Makes a live capture's Next return kEnd and ends a Wait at once; callable from any
    // thread.
    void Stop();
    const std::string& Error() const { return m_error; }
    bool Live() const { return m_live; }

  private:
    CaptureSource(pcap* handle, bool live);
    static bool CheckEthernet(pcap* handle, std::string& error);

    pcap* m_handle;
    bool m_live;
    int m_wake; // an eventfd Stop signals, so that a Wait ends without its time-out
    std::string m_error;
};

} // namespace probe
