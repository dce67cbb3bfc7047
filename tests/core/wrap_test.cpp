#include <gtest/gtest.h>

#include "lumeno/core/json/wrap.hpp"

namespace {

struct Inner {
    std::string label;
    void wrap(lumeno::Wrapper& w) const { w("label", label); }
};

struct Outer {
    std::string name;
    std::optional<std::string> nickname;
    std::int64_t count = 0;
    bool active = false;
    std::optional<Inner> inner;
    std::vector<std::string> tags;
    void wrap(lumeno::Wrapper& w) const {
        w("name", name)("nickname", nickname)("count", count)("active", active)("inner", inner)("tags", tags);
    }
};

}  // namespace

TEST(Wrap, ListsPropertiesByNameAndLeavesOutAbsentOnes) {
    Outer value{"Ada", std::nullopt, 3, true, Inner{"x"}, {"a", "b"}};
    EXPECT_EQ(lumeno::JsonValue(lumeno::wrap(value)),
              boost::json::parse(R"({"name":"Ada","count":3,"active":true,"inner":{"label":"x"},"tags":["a","b"]})"));
    value.nickname = "ada";
    value.inner.reset();
    EXPECT_EQ(lumeno::JsonValue(lumeno::wrap(value)),
              boost::json::parse(R"({"name":"Ada","nickname":"ada","count":3,"active":true,"tags":["a","b"]})"));
}
