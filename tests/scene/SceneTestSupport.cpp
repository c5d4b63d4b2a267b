#include "SceneTestSupport.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>

#include "TempFolder.h"

namespace {

struct OwnedFolder {
    std::filesystem::path path;
    ~OwnedFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::filesystem::path& privateTempFolder() {
    // Test processes may run side by side; each keeps its model file to itself.
    static const OwnedFolder folder{[] {
        std::random_device device;
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        std::filesystem::path made = std::filesystem::temp_directory_path() /
                                     ("petalrain_scene_" + std::to_string(device() ^ static_cast<unsigned>(tick)));
        std::filesystem::create_directories(made);
        setTempFolder(made.string());
        return made;
    }()};
    setTempFolder(folder.path.string());
    return folder.path;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
