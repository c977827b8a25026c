#include "probe/capture_source.h"

#include <pcap/pcap.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace probe {
namespace {

constexpr int kReadTimeoutMs = 100;            // the kernel hands captured frames on this often
constexpr int kBufferBytes = 32 * 1024 * 1024; // kernel buffer: bursts while the counter waits

} // namespace

bool CaptureSource::CheckEthernet(pcap* handle, std::string& error) {
    const int link = pcap_datalink(handle);
    if (link == DLT_EN10MB) {
        return true;
    }
    const char* name = pcap_datalink_val_to_name(link);
    error = std::string("link layer ") + (name ? name : std::to_string(link)) +
            " is not Ethernet: the matrix counts Ethernet MAC pairs";
    return false;
}

std::unique_ptr<CaptureSource> CaptureSource::OpenLive(const std::string& name, int snapLength,
                                                       std::string& error) {
    char message[PCAP_ERRBUF_SIZE] = "";
    pcap* handle = pcap_create(name.c_str(), message);
    if (!handle) {
        error = message;
        return nullptr;
    }
    pcap_set_snaplen(handle, snapLength);
    pcap_set_promisc(handle, 1);
    pcap_set_timeout(handle, kReadTimeoutMs);
    pcap_set_buffer_size(handle, kBufferBytes);
    const int status = pcap_activate(handle);
    if (status < 0) {
        error = status == PCAP_ERROR ? pcap_geterr(handle) : pcap_statustostr(status);
        pcap_close(handle);
        return nullptr;
    }
    // A blocking read of Linux's ring waits for a full block of frames when the link is
    // quiet; without waiting, Wait polls with the time-out instead.
    if (pcap_setnonblock(handle, 1, message) < 0) {
        error = message;
        pcap_close(handle);
        return nullptr;
    }
    if (!CheckEthernet(handle, error)) {
        pcap_close(handle);
        return nullptr;
    }
    return std::unique_ptr<CaptureSource>(new CaptureSource(handle, true));
}

std::unique_ptr<CaptureSource> CaptureSource::OpenFile(const std::string& path,
                                                       std::string& error) {
    char message[PCAP_ERRBUF_SIZE] = "";
    pcap* handle =
        pcap_open_offline_with_tstamp_precision(path.c_str(), PCAP_TSTAMP_PRECISION_MICRO, message);
    if (!handle) {
        error = std::string("not a readable capture file (pcap or pcapng): ") + message;
        return nullptr;
    }
    if (!CheckEthernet(handle, error)) {
        pcap_close(handle);
        return nullptr;
    }
    return std::unique_ptr<CaptureSource>(new CaptureSource(handle, false));
}

CaptureSource::CaptureSource(pcap* handle, bool live)
    : m_handle(handle), m_live(live), m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CaptureSource::~CaptureSource() {
    pcap_close(m_handle);
    if (m_wake >= 0) {
        close(m_wake);
    }
}

CaptureSource::Result CaptureSource::Next(CapturedFrame& frame) {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    switch (pcap_next_ex(m_handle, &header, &data)) {
    case 1:
        frame.data = data;
        frame.captured = header->caplen;
        frame.length = header->len;
        frame.microseconds = int64_t(header->ts.tv_sec) * 1000000 + header->ts.tv_usec;
        return Result::kFrame;
    case 0:
        return Result::kIdle;
    case PCAP_ERROR_BREAK:
        return Result::kEnd;
    default:
        // A file ending inside a frame or its header is the usual cause (a copy cut short).
        m_error = std::string(m_live ? "capture failed: "
                                     : "the capture file is cut short or damaged: ") +
                  pcap_geterr(m_handle);
        return Result::kError;
    }
}

void CaptureSource::Wait() {
    const int descriptor = pcap_get_selectable_fd(m_handle);
    if (!m_live || descriptor < 0) {
        return;
    }
    pollfd ready[] = {{descriptor, POLLIN, 0}, {m_wake, POLLIN, 0}};
    poll(ready, m_wake >= 0 ? 2 : 1, kReadTimeoutMs);
}

uint32_t CaptureSource::Drops() {
    pcap_stat totals{};
    if (!m_live || pcap_stats(m_handle, &totals) < 0) {
        return 0;
    }
    return totals.ps_drop;
}

void CaptureSource::Stop() {
    pcap_breakloop(m_handle);
    if (m_wake >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wake, &one, sizeof(one));
    }
}

} // namespace probe
