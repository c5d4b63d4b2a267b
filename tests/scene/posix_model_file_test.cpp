// Linux: the embedded model goes to the loader from memory, so nothing reaches the
// temporary folder and no descriptor is taken.
#include <gtest/gtest.h>

#include <filesystem>

#include "HeadlessGl.h"
#include "MqoLoader.h"
#include "ScenePlatform.h"
#include "SceneTestSupport.h"

namespace {

size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

}  // namespace

TEST(EmbeddedModel, LoadsFromMemoryLeavingNothingBehind) {
    const std::filesystem::path& folder = privateTempFolder();
    ASSERT_TRUE(headlessGlOpen(16, 16));
    const size_t descriptors = openDescriptors();
    MqoModel* model = sceneLoadEmbeddedModel(0.015);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->objectCount, 1);
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    sceneReleaseEmbeddedModel();
    sceneReleaseEmbeddedModel();
    mqoFreeModels(model, 1);
    headlessGlClose();
}
