// XScreenSaver's settings file and the MATE/Xfce desktop entry offer what the
// scene's table of settings holds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

#include "SettingsLimits.h"

namespace {

std::string resource(const std::string& name) {
    std::ifstream file(std::string(PETALRAIN_RESOURCES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

using Attributes = std::map<std::string, std::string>;

// Every <number> element of the settings file by its id.
std::map<std::string, Attributes> numberSettings(const std::string& xml) {
    static const std::regex element("<number\\b([^>]*)>");
    static const std::regex attribute("([A-Za-z_-]+)=\"([^\"]*)\"");
    std::map<std::string, Attributes> numbers;
    for (std::sregex_iterator e(xml.begin(), xml.end(), element), end; e != end; ++e) {
        const std::string inside = (*e)[1];
        Attributes attributes;
        for (std::sregex_iterator a(inside.begin(), inside.end(), attribute); a != end; ++a)
            attributes[(*a)[1]] = (*a)[2];
        EXPECT_EQ(numbers.count(attributes["id"]), 0u) << "two sliders for " << attributes["id"];
        numbers[attributes["id"]] = attributes;
    }
    return numbers;
}

}  // namespace

TEST(SettingsResources, SlidersSpanTheTableAndStartAtItsDefaults) {
    const std::string xml = resource("petalrain.xml");
    const std::map<std::string, Attributes> numbers = numberSettings(xml);
    const struct {
        const char* id;
        const char* option;
        SettingLimits limits;
    } sliders[] = {{"count", "--count %", flowerCountLimits}, {"size", "--size %", flowerSizeLimits}};
    for (const auto& slider : sliders) {
        ASSERT_EQ(numbers.count(slider.id), 1u) << slider.id;
        const Attributes& a = numbers.at(slider.id);
        EXPECT_EQ(a.at("arg"), slider.option);
        EXPECT_EQ(a.at("low"), std::to_string(slider.limits.lowest)) << slider.id;
        EXPECT_EQ(a.at("high"), std::to_string(slider.limits.highest)) << slider.id;
        EXPECT_EQ(a.at("default"), std::to_string(slider.limits.defaultValue)) << slider.id;
    }
    ASSERT_EQ(numbers.count("delay"), 1u);
    const Attributes& delay = numbers.at("delay");
    EXPECT_EQ(delay.at("arg"), "--delay %");
    EXPECT_EQ(delay.at("default"), std::to_string(defaultFramePeriodMicroseconds));
    EXPECT_LE(std::stol(delay.at("low")), defaultFramePeriodMicroseconds);
    EXPECT_GE(std::stol(delay.at("high")), defaultFramePeriodMicroseconds);
}

TEST(SettingsResources, DesktopEntryRunsTheSaverWithinTheTable) {
    const std::string entry = resource("petalrain.desktop");
    static const std::regex execLine("^(Try)?Exec=(.*)$", std::regex::multiline);
    static const std::regex option("-{1,2}(count|size|delay)[ =](-?[0-9]+)");
    int lines = 0;
    for (std::sregex_iterator line(entry.begin(), entry.end(), execLine), end; line != end; ++line) {
        ++lines;
        const std::string command = (*line)[2];
        for (std::sregex_iterator o(command.begin(), command.end(), option); o != end; ++o) {
            const std::string name = (*o)[1];
            const long value = std::stol((*o)[2]);
            if (name == "delay") {
                EXPECT_GE(value, 0) << command;
                continue;
            }
            const SettingLimits& limits = name == "count" ? flowerCountLimits : flowerSizeLimits;
            EXPECT_GE(value, limits.lowest) << command;
            EXPECT_LE(value, limits.highest) << command;
        }
    }
    EXPECT_EQ(lines, 2) << "an Exec and a TryExec line";
}
