// The key index of the records: an object's keys are matched against a table's by their length
// and end words, and by their middle bytes beyond 16.

#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include <string>

#include "core/json/fields.hpp"

using namespace lumeno;

namespace {

struct Probe {
    std::optional<std::int64_t> a, ab, abc, abcd, abcdefg, eight, nine, sixteen, seventeen, middle1, middle2, long1,
        long2;
};

inline constexpr auto probeKeys = detail::fields<Probe>(
    detail::lenient("a", &Probe::a), detail::lenient("ab", &Probe::ab), detail::lenient("abc", &Probe::abc),
    detail::lenient("abcd", &Probe::abcd), detail::lenient("abcdefg", &Probe::abcdefg),
    detail::lenient("abcdefgh", &Probe::eight), detail::lenient("abcdefghi", &Probe::nine),
    detail::lenient("abcdefghijklmnop", &Probe::sixteen), detail::lenient("abcdefghijklmnopq", &Probe::seventeen),
    detail::lenient("abcdefgh-1-ijklmnop", &Probe::middle1), detail::lenient("abcdefgh-2-ijklmnop", &Probe::middle2),
    detail::lenient("abcdefgh-ijklmnop-qrstuvwx-1-yzabcdef", &Probe::long1),
    detail::lenient("abcdefgh-ijklmnop-qrstuvwx-2-yzabcdef", &Probe::long2));

}  // namespace

TEST(KeyIndex, EachKeyFindsItsOwnValueAmongLookAlikes) {
    // Keys sharing their first and last bytes, their length, or both; and keys of no member.
    const auto json = boost::json::parse(R"({
        "abcdefgh-3-ijklmnop": 90, "abce": 91, "b": 92, "abcdefghijklmnoq": 93, "": 94, "abcdefgh\u0000": 95,
        "a": 1, "ab": 2, "abc": 3, "abcd": 4, "abcdefg": 5, "abcdefgh": 6, "abcdefghi": 7, "abcdefghijklmnop": 8,
        "abcdefghijklmnopq": 9, "abcdefgh-2-ijklmnop": 11, "abcdefgh-1-ijklmnop": 10,
        "abcdefgh-ijklmnop-qrstuvwx-2-yzabcdef": 13, "abcdefgh-ijklmnop-qrstuvwx-1-yzabcdef": 12,
        "abcdefgh-ijklmnop-qrstuvwx-3-yzabcdef": 96, "abcdefgh-1-ijklmno": 97, "bbcdefgh-1-ijklmnop": 98})");
    const Probe probe = probeKeys.decode(json, Decoder{});
    const std::optional<std::int64_t> Probe::*members[] = {
        &Probe::a,         &Probe::ab,       &Probe::abc,     &Probe::abcd,    &Probe::abcdefg,
        &Probe::eight,     &Probe::nine,     &Probe::sixteen, &Probe::seventeen, &Probe::middle1,
        &Probe::middle2,   &Probe::long1,    &Probe::long2};
    for (std::size_t i = 0; i < std::size(members); ++i) EXPECT_EQ(probe.*members[i], std::int64_t(i + 1)) << i;

    // Absent keys stay absent, whatever look-alikes the object holds.
    const Probe none = probeKeys.decode(boost::json::parse(R"({"abcdefgh-3-ijklmnop": 1, "abcdefghijklmnoq": 2})"),
                                        Decoder{});
    for (const auto member : members) EXPECT_FALSE(none.*member);
}

TEST(KeyIndex, WordsOfAKeyReadWhileRunningAsWhileCompiling) {
    // Every length and offset a key's ends are read at, against the byte-by-byte reading.
    const std::string text = "\x01\x82\x03\xF4\x05\x06\x97\x08\x09\x0A\xBB\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14";
    for (std::size_t size = 0; size <= text.size(); ++size) {
        const std::string_view key(text.data(), size);
        for (std::size_t at = 0; at <= size; ++at) {
            std::uint64_t expected = 0;
            for (std::size_t i = 0; i < std::min<std::size_t>(8, size - at); ++i)
                expected |= std::uint64_t(static_cast<unsigned char>(key[at + i])) << (8 * i);
            EXPECT_EQ(eightBytes(key, at), expected) << size << " " << at;
        }
    }
}
