#include "core/service/random_string.hpp"

#include <random>
#include <string_view>

namespace lumeno {

std::string Utils::randomString(std::size_t length) {
    static constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text(length, '\0');
    for (auto& c : text) c = alphabet[pick(generator)];
    return text;
}

}  // namespace lumeno
