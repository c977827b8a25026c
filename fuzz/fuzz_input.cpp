#include "fuzz/fuzz_input.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FuzzFolder(), ignored);
}

} // namespace

// Never destroyed: the exit handler that removes the folder runs after static destructors.
const std::string& FuzzFolder() {
    static const std::string& folder = *new std::string([] {
        const char* tmp = std::getenv("TMPDIR");
        std::string path = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                           "/tessaran-fuzz-" + std::to_string(getpid());
        std::filesystem::create_directories(path);
        std::atexit(RemoveFolder);
        return path;
    }());
    return folder;
}

std::string InputFile(const uint8_t* data, size_t size, const std::string& name) {
    const std::string path = FuzzFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path;
}
