// XScreenSaver's settings file and the MATE/Xfce desktop entry offer what the
// scene's table of settings holds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "SettingsLimits.h"

namespace {

std::string resource(const std::string& name) {
    std::ifstream file(std::string(PETALRAIN_RESOURCES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The attribute of the settings file's one <number> element with this id; empty when missing.
std::string numberAttribute(const std::string& xml, const std::string& id, const std::string& name) {
    const std::regex element("<number\\b[^>]*\\bid=\"" + id + "\"[^>]*>");
    std::smatch found;
    if (!std::regex_search(xml, found, element))
        return "";
    const std::string inside = found[0];
    std::smatch value;
    return std::regex_search(inside, value, std::regex("\\b" + name + "=\"([^\"]*)\"")) ? value[1].str() : "";
}

}  // namespace

TEST(SettingsResources, SlidersSpanTheTableAndStartAtItsDefaults) {
    const std::string xml = resource("petalrain.xml");
    const struct {
        const char* id;
        SettingLimits limits;
    } sliders[] = {{"count", flowerCountLimits}, {"size", flowerSizeLimits}};
    for (const auto& s : sliders) {
        EXPECT_EQ(numberAttribute(xml, s.id, "arg"), std::string("--") + s.id + " %");
        EXPECT_EQ(numberAttribute(xml, s.id, "low"), std::to_string(s.limits.lowest)) << s.id;
        EXPECT_EQ(numberAttribute(xml, s.id, "high"), std::to_string(s.limits.highest)) << s.id;
        EXPECT_EQ(numberAttribute(xml, s.id, "default"), std::to_string(s.limits.defaultValue)) << s.id;
    }
    EXPECT_EQ(numberAttribute(xml, "delay", "arg"), "--delay %");
    EXPECT_EQ(numberAttribute(xml, "delay", "default"), std::to_string(defaultFramePeriodMicroseconds));
}

// The entry names no setting, so the saver it starts runs with the table's defaults.
TEST(SettingsResources, DesktopEntryRunsTheSaverWithTheTableDefaults) {
    const std::string entry = resource("petalrain.desktop");
    std::smatch exec;
    ASSERT_TRUE(std::regex_search(entry, exec, std::regex("\nExec=([^\n]*)")));
    EXPECT_NE(exec[1].str().find("petalrain --root"), std::string::npos) << exec[1];
    EXPECT_FALSE(std::regex_search(exec[1].str(), std::regex("-(count|size|delay)\\b"))) << exec[1];
}
