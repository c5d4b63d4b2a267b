// The shared temporary folder on Linux: the model file is never written through a
// link or into someone else's file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "ScenePlatform.h"
#include "SceneTestSupport.h"

namespace {

std::filesystem::path modelPath() {
    privateTempFolder();
    char path[260];
    EXPECT_TRUE(sceneTempModelPath(path, sizeof path));
    return path;
}

}  // namespace

TEST(ModelFile, IsCreatedPrivateAndReplacesOnlyOurOwnFile) {
    const std::filesystem::path path = modelPath();
    { std::ofstream(path) << "stale"; }
    ASSERT_TRUE(sceneWriteModelFile(path.c_str(), "model", 5));
    EXPECT_EQ(readFile(path), "model");
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    sceneRemoveModelFile(path.c_str());
    sceneRemoveModelFile(path.c_str());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ModelFile, NeverFollowsALink) {
    const std::filesystem::path path = modelPath();
    const std::filesystem::path target = path.parent_path() / "victim";
    { std::ofstream(target) << "precious"; }
    std::filesystem::create_symlink(target, path);
    EXPECT_FALSE(sceneWriteModelFile(path.c_str(), "model", 5));
    EXPECT_EQ(readFile(target), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(path)) << "someone else's entry stays";
    std::filesystem::remove(path);
    std::filesystem::remove(target);
}

TEST(ModelFile, TempFolderComesFromTmpdir) {
    char path[260];
    setenv("TMPDIR", "/var/tmp/", 1);
    ASSERT_TRUE(sceneTempModelPath(path, sizeof path));
    EXPECT_STREQ(path, "/var/tmp/xoeqaze.tmp");
    unsetenv("TMPDIR");
    ASSERT_TRUE(sceneTempModelPath(path, sizeof path));
    EXPECT_STREQ(path, "/tmp/xoeqaze.tmp");
    char tight[12];
    EXPECT_FALSE(sceneTempModelPath(tight, sizeof tight)) << "a name that does not fit";
    privateTempFolder();
}
