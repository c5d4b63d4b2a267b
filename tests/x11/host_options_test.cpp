// Options as XScreenSaver, a settings dialog and a shell pass them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "HostOptions.h"

namespace {

struct Parsed {
    bool ok;
    HostOptions options;
    std::string warnings;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> words) {
    std::vector<std::string> storage{"petalrain"};
    storage.insert(storage.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : storage)
        argv.push_back(word.data());
    Parsed parsed;
    parsed.ok = parseHostOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, parsed.warnings,
                                 parsed.error);
    return parsed;
}

}  // namespace

TEST(HostOptions, DefaultsAreTheWindowsSaversOwn) {
    const Parsed parsed = parse({});
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options.target, HostTarget::OwnWindow);
    EXPECT_EQ(parsed.options.count, 7500);
    EXPECT_EQ(parsed.options.size, 100);
    EXPECT_EQ(parsed.options.delayMicroseconds, 15625);
    EXPECT_FALSE(parsed.options.seeded);
    EXPECT_EQ(parsed.options.frames, 0);
}

TEST(HostOptions, OneDashOrTwoAndBothWindowIdForms) {
    const Parsed daemon = parse({"-root", "-count", "300", "--size", "250", "-delay", "0"});
    ASSERT_TRUE(daemon.ok) << daemon.error;
    EXPECT_EQ(daemon.options.target, HostTarget::Root);
    EXPECT_EQ(daemon.options.count, 300);
    EXPECT_EQ(daemon.options.size, 250);
    EXPECT_EQ(daemon.options.delayMicroseconds, 0);
    EXPECT_TRUE(daemon.warnings.empty());

    EXPECT_EQ(parse({"--window-id", "0x2a00007"}).options.windowId, 0x2a00007ul);
    EXPECT_EQ(parse({"-window-id", "44040199"}).options.windowId, 44040199ul);
    EXPECT_EQ(parse({"--window-id", "0X1F"}).options.target, HostTarget::WindowId);
    EXPECT_TRUE(parse({"--fullscreen", "--seed", "4294967295"}).options.fullscreen);
    EXPECT_TRUE(parse({"-h"}).options.help);
}

TEST(HostOptions, OutOfRangeValuesAreClampedWithAWarning) {
    const Parsed parsed = parse({"--count", "20000", "--size", "-5", "--delay", "99999999999"});
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options.count, 10000);
    EXPECT_EQ(parsed.options.size, 10);
    EXPECT_EQ(parsed.options.delayMicroseconds, 10000000);
    EXPECT_NE(parsed.warnings.find("--count 20000"), std::string::npos) << parsed.warnings;
    EXPECT_NE(parsed.warnings.find("--size -5"), std::string::npos);
    EXPECT_EQ(parse({"--count", "0"}).options.count, 1);
}

TEST(HostOptions, BadOptionsAndValuesAreRefused) {
    for (auto words : {std::initializer_list<const char*>{"--bogus"}, {"--count"}, {"--count", "many"},
                       {"--count", "12x"}, {"--count", ""}, {"--count", " 5"}, {"--size", "99999999999999999999"},
                       {"--window-id", "0"}, {"--window-id", "-5"}, {"--window-id", "0x"}, {"--window-id", "12ab"},
                       {"--window-id", "0x1ffffffff"}, {"--seed", "-1"}, {"--frames", "0"}, {"stray"}}) {
        const Parsed parsed = parse(words);
        EXPECT_FALSE(parsed.ok) << *words.begin() << " " << (words.size() > 1 ? *(words.begin() + 1) : "");
        EXPECT_FALSE(parsed.error.empty());
    }
    EXPECT_NE(parse({"--count", "many"}).error.find("many"), std::string::npos);
}
