#include "lumeno/core/utils.hpp"

#include <random>
#include <string_view>

namespace lumeno::Utils {

std::string randomString(std::size_t length) {
    static constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 engine = [] {
        std::random_device source;
        std::seed_seq seed{source(), source(), source(), source(), source(), source(), source(), source()};
        return std::mt19937(seed);
    }();
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string out(length, '\0');
    for (char& c : out) c = alphabet[pick(engine)];
    return out;
}

}  // namespace lumeno::Utils
