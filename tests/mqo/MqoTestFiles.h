// Test helpers: a private temporary folder, BMP and TGA files, captured stdout.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace mqo_test {

// A new folder under the system's temporary folder, removed with its contents
// when the object goes.
class TempFolder {
public:
    TempFolder() {
        static unsigned counter = 0;
        const auto base = std::filesystem::temp_directory_path();
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        for (;;) {
            folder_ = base / ("petalrain-mqo-" + std::to_string(ticks) + "-" + std::to_string(++counter));
            std::error_code error;
            if (std::filesystem::create_directory(folder_, error))
                break;
            if (error)
                throw std::filesystem::filesystem_error("cannot create test folder", folder_, error);
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with its trailing separator, as the document reader derives it.
    std::string prefix() const { return (folder_ / "").string(); }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    // Writes bytes to folder/name and returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string full = path(name);
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return full;
    }

private:
    std::filesystem::path folder_;
};

inline void appendLittleEndian(std::string& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A BMP as the reader sees it: width at offset 18, pixel data (as stored) from offset 54.
inline std::string bmpFile(int32_t width, const std::string& pixelData) {
    std::string bytes = "BM";
    bytes.resize(18, '\0');
    appendLittleEndian(bytes, static_cast<uint32_t>(width), 4);
    appendLittleEndian(bytes, static_cast<uint32_t>(width), 4);  // height, never read
    bytes.resize(54, '\0');
    return bytes + pixelData;
}

// An uncompressed TGA: 18-byte header (type at 2, width at 12, depth at 16), then pixel data.
inline std::string tgaFile(int width, int depth, int type, const std::string& pixelData) {
    std::string bytes(18, '\0');
    bytes[2] = static_cast<char>(type);
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>((width >> 8) & 0xFF);
    bytes[14] = bytes[12];
    bytes[15] = bytes[13];
    bytes[16] = static_cast<char>(depth);
    return bytes + pixelData;
}

inline void captureStdout() {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

inline std::string capturedStdout() {
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// The loader's diagnostics as code page 932 bytes.
namespace messages {
inline std::string openError(const std::string& file) {
    return "MqoLoader:\x83" "e\x83N\x83X\x83`\x83\x83\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x83G\x83\x89\x81[[" + file + "]\n";
}
inline std::string unsupportedFormat(const std::string& file) {
    return "\x82\xB1\x82\xCC\x83" "e\x83N\x83X\x83`\x83\x83\x82\xCD\x91\xCE\x89\x9E\x82\xC5\x82\xAB\x82\xC8\x82\xA2"
           "\x83t\x83H\x81[\x83}\x83" "b\x83g\x81\xA8" + file + "\n";
}
inline std::string unsupportedAlphaPlane(const std::string& file) {
    return "\x83" "A\x83\x8B\x83t\x83@\x82\xCC\x83t\x83@\x83" "C\x83\x8B\x82\xC9\x91\xCE\x89\x9E\x82\xC5\x82\xAB"
           "\x82\xC8\x82\xA2\x81\xA8" + file + "\n";
}
inline const std::string poolFull =
    "MqoLoader:mqoSetTexturePool \x83" "e\x83N\x83X\x83`\x83\x83\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x97\xCC\x88\xE6"
    "\x95s\x91\xAB\n";
}  // namespace messages

}  // namespace mqo_test
