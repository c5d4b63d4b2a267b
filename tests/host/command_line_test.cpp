#include "CommandLine.h"
#include "HostState.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

HWND handleOf(long number) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(number));
}

class CommandLineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A real foreground window, so that "no number" is told apart from a null handle.
        foreground = CreateWindowExA(0, "STATIC", "foreground", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                     nullptr, nullptr, nullptr);
        SetForegroundWindow(foreground);
    }
    static void TearDownTestSuite() {
        DestroyWindow(foreground);
    }

    void SetUp() override {
        hostState = {};
        hostState.parentWindow = handleOf(77);
    }

    static inline HWND foreground = nullptr;
};

TEST_F(CommandLineTest, EmptyLineConfigures) {
    hostState.runMode = Saver;
    EXPECT_EQ(parseCommandLine(""), 0);
    EXPECT_EQ(hostState.runMode, Configure);
    EXPECT_EQ(hostState.parentWindow, nullptr);
}

TEST_F(CommandLineTest, EverySwitchInBothLetterCasesAndBothPrefixes) {
    const struct {
        const char* line;
        RunMode mode;
    } cases[] = {
        {"-c", Configure}, {"-C", Configure}, {"/c", Configure}, {"/C", Configure},
        {"-p 5", Preview}, {"-P 5", Preview}, {"/p 5", Preview}, {"/P 5", Preview},
        {"-s", Saver},     {"-S", Saver},     {"/s", Saver},     {"/S", Saver},
    };
    for (const auto& entry : cases) {
        hostState.runMode = Configure;
        EXPECT_EQ(parseCommandLine(entry.line), 0) << entry.line;
        EXPECT_EQ(hostState.runMode, entry.mode) << entry.line;
    }
}

TEST_F(CommandLineTest, TableOrderDecidesBetweenSeveralSwitches) {
    ASSERT_EQ(parseCommandLine("/s /c"), 0);
    EXPECT_EQ(hostState.runMode, Configure);
    ASSERT_EQ(parseCommandLine("/s /p 12"), 0);
    EXPECT_EQ(hostState.runMode, Preview);
    EXPECT_EQ(hostState.parentWindow, handleOf(12));
    // Inside a longer word, too.
    ASSERT_EQ(parseCommandLine("x-sy"), 0);
    EXPECT_EQ(hostState.runMode, Saver);
}

TEST_F(CommandLineTest, HandleFollowsTheSwitchDirectlyOrAfterSpaces) {
    ASSERT_EQ(parseCommandLine("/p 1234"), 0);
    EXPECT_EQ(hostState.parentWindow, handleOf(1234));
    ASSERT_EQ(parseCommandLine("/p1234"), 0);
    EXPECT_EQ(hostState.parentWindow, handleOf(1234));
    ASSERT_EQ(parseCommandLine("/p  \t+99x7"), 0);
    EXPECT_EQ(hostState.parentWindow, handleOf(99));
    ASSERT_EQ(parseCommandLine("/p -5"), 0);
    EXPECT_EQ(hostState.parentWindow, handleOf(-5));
}

TEST_F(CommandLineTest, NoNumberMeansTheForegroundWindow) {
    ASSERT_NE(GetForegroundWindow(), nullptr);
    ASSERT_EQ(parseCommandLine("/c:1234"), 0);
    EXPECT_EQ(hostState.runMode, Configure);
    EXPECT_EQ(hostState.parentWindow, GetForegroundWindow());
    ASSERT_EQ(parseCommandLine("/p"), 0);
    EXPECT_EQ(hostState.parentWindow, GetForegroundWindow());
    ASSERT_EQ(parseCommandLine("/p 0"), 0);
    EXPECT_EQ(hostState.parentWindow, GetForegroundWindow());
}

TEST_F(CommandLineTest, HandlesArePointerWide) {
    // Above 2^31 - 1, as 64-bit Windows passes them; beyond 64 bits all bits set.
    ASSERT_EQ(parseCommandLine("/p 3000000000"), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(hostState.parentWindow), uintptr_t{3000000000});
    ASSERT_EQ(parseCommandLine("/p 18446744073709551615"), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(hostState.parentWindow), UINTPTR_MAX);
    ASSERT_EQ(parseCommandLine("/p 99999999999999999999999"), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(hostState.parentWindow), UINTPTR_MAX);
}

TEST_F(CommandLineTest, LinesWithoutASwitchFail) {
    for (const char* line : {"/a", "x", " ", "c s p", "-x /"}) {
        hostState.runMode = Saver;
        EXPECT_EQ(parseCommandLine(line), 1) << line;
        EXPECT_EQ(hostState.parentWindow, nullptr) << line;
    }
}

}  // namespace
