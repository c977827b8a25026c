// win.ini sections as the plug-in reads them: the first line of the input names the
// section and the buffer size, the rest is the file. The answer must stay inside the
// buffer and end in two NULs (a value may hold a NUL of its own).
#include "fuzz/fuzz_input.h"
#include "platform/framework/profile.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = std::min(input.find('\n'), input.size());
    const std::string head = input.substr(0, lineEnd);
    const std::string section = head.substr(std::min<size_t>(1, head.size()));
    // The first byte picks a buffer of 0 to 255 bytes.
    const DWORD bufferSize = head.empty() ? 0 : static_cast<unsigned char>(head[0]);
    const std::string file = input.substr(std::min(lineEnd + 1, input.size()));
    setenv("TESSARAN_WININI",
           InputFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), "win.ini").c_str(),
           1);

    // One guard byte past the buffer catches a write beyond it.
    std::vector<char> buffer(bufferSize + 1, '\x7f');
    const DWORD copied = GetProfileSection(section.c_str(), buffer.data(), bufferSize);
    if (buffer[bufferSize] != '\x7f' || (bufferSize > 0 && copied + 1 > bufferSize)) {
        abort();
    }
    if (bufferSize >= 2 && (buffer[copied] != '\0' || (copied > 0 && buffer[copied - 1] != '\0' &&
                                                       buffer[copied + 1] != '\0'))) {
        abort();
    }
    const DWORD valueLength =
        GetProfileString(section.c_str(), "Dir", "", buffer.data(), bufferSize);
    if (buffer[bufferSize] != '\x7f' || (bufferSize > 0 && valueLength >= bufferSize) ||
        (bufferSize > 0 && strlen(buffer.data()) > valueLength)) {
        abort();
    }
    return 0;
}
