// The reader's number scanning must read lines as sscanf reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "MqoScan.h"

namespace {

const char* const lines[] = {
    "1.5 -2.25 3e2\r\n",
    "\t  -0.0000610352   12.0\t7\n",
    "+4 .5 -.25",
    "8 9 x 10",
    "7,8,9",
    "",
    "   \r\n",
    "abc",
    "1.0 2.0",
    "inf -nan 3",
    "0x10 11 12",
    "3 4 5 6 7",
    "-2147483648 2147483647 0",
};

TEST(NumberScan, FloatsReadAsSscanfReadsThem) {
    for (const char* line : lines) {
        float expected[3] = {-7.0f, -7.0f, -7.0f};
        float scanned[3] = {-7.0f, -7.0f, -7.0f};
        const int stored = std::sscanf(line, "%f %f %f", &expected[0], &expected[1], &expected[2]);
        EXPECT_EQ(mqoScanFloats(line, scanned, 3), stored < 0 ? 0 : stored) << line;
        EXPECT_EQ(std::memcmp(expected, scanned, sizeof scanned), 0) << line;
    }
}

TEST(NumberScan, IntsReadAsSscanfReadsThem) {
    for (const char* line : lines) {
        int expected[3] = {-7, -7, -7};
        int scanned[3] = {-7, -7, -7};
        const int stored = std::sscanf(line, "%d %d %d", &expected[0], &expected[1], &expected[2]);
        EXPECT_EQ(mqoScanInts(line, scanned, 3), stored < 0 ? 0 : stored) << line;
        EXPECT_EQ(std::memcmp(expected, scanned, sizeof scanned), 0) << line;
    }
}

TEST(NumberScan, CountOfZeroReadsNothing) {
    int value = 5;
    EXPECT_EQ(mqoScanInts("12", &value, 0), 0);
    EXPECT_EQ(value, 5);
}

}  // namespace
