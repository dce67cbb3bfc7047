#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "lumeno/core/utils.hpp"

TEST(Utils, RandomStringHasItsLengthAndAlphabet) {
    for (std::size_t length : {0u, 1u, 6u, 64u}) EXPECT_EQ(lumeno::Utils::randomString(length).size(), length);

    // 6,200 draws over 62 characters: every one of them turns up, and nothing else does.
    const std::string text = lumeno::Utils::randomString(6200);
    const std::set<char> seen(text.begin(), text.end());
    EXPECT_EQ(seen.size(), 62u);
    for (char c : seen) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << c;
    EXPECT_NE(lumeno::Utils::randomString(32), lumeno::Utils::randomString(32));
}
