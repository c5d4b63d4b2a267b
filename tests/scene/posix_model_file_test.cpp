// Linux: the model file lives in memory, so nothing reaches the shared temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "ScenePlatform.h"
#include "SceneTestSupport.h"

TEST(ModelFile, LivesInMemoryUntilRemoved) {
    const std::filesystem::path& folder = privateTempFolder();
    char path[260];
    ASSERT_TRUE(sceneCreateModelFile(path, sizeof path, "model", 5));
    EXPECT_EQ(readFile(path), "model");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ASSERT_TRUE(sceneCreateModelFile(path, sizeof path, "again", 5)) << "replaces the earlier one";
    EXPECT_EQ(readFile(path), "again");
    sceneRemoveModelFile(path);
    sceneRemoveModelFile(path);
    EXPECT_FALSE(std::filesystem::exists(path));

    char tight[8];
    EXPECT_FALSE(sceneCreateModelFile(tight, sizeof tight, "model", 5)) << "a name that does not fit";
}
