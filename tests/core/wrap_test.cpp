#include <gtest/gtest.h>

#include "lumeno/core/json/wrap.hpp"

namespace {

struct Inner {
    std::string label;
    void wrap(lumeno::Wrapper& w) const { w("label", label); }
};

struct Outer {
    std::optional<std::string> nickname;
    std::int64_t count = 0;
    std::optional<Inner> inner;
    std::vector<std::string> tags;
    void wrap(lumeno::Wrapper& w) const { w("nickname", nickname)("count", count)("inner", inner)("tags", tags); }
};

}  // namespace

TEST(Wrap, ListsPropertiesByNameAndLeavesOutAbsentOnes) {
    EXPECT_EQ(lumeno::JsonValue(lumeno::wrap(Outer{std::nullopt, 3, Inner{"x"}, {"a", "b"}})),
              boost::json::parse(R"({"count":3,"inner":{"label":"x"},"tags":["a","b"]})"));
}
