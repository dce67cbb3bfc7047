#include <gtest/gtest.h>

#include <set>

#include "lumeno/core/utils.hpp"

TEST(Utils, RandomStringDrawsEveryLetterAndDigit) {
    // 6,200 draws over 62 characters: every one of them turns up, and nothing else does.
    const std::string text = lumeno::Utils::randomString(6200);
    const std::set<char> seen(text.begin(), text.end());
    EXPECT_EQ(text.size(), 6200u);
    EXPECT_EQ(std::string(seen.begin(), seen.end()), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_NE(lumeno::Utils::randomString(32), lumeno::Utils::randomString(32));
}
