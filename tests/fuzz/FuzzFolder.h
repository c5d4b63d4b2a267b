// A private folder for the files a fuzz target writes once, removed when the process exits.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

inline std::filesystem::path& folderPath() {
    static std::filesystem::path path;
    return path;
}

// Creates the folder once; returns it with a trailing separator.
inline std::string folder(const char* target) {
    std::filesystem::path& path = folderPath();
    if (path.empty()) {
        path = std::filesystem::temp_directory_path() /
               (std::string("petalrain-") + target + "-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folderPath(), ignored);
        });
    }
    return (path / "").string();
}

inline void writeFile(const std::string& path, const void* data, size_t size) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

}  // namespace fuzz
