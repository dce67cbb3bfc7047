#pragma once

// What the fuzz targets share: property checks that stop the run with a message, so that
// libFuzzer keeps the input that broke them.

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "lumeno/core/json/json.hpp"

namespace lumeno::fuzz {

inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

/// Whether the value, written out, reads back as JSON: no infinity or NaN anywhere in it.
inline bool writesJson(const JsonValue& json) {
    boost::system::error_code error;
    boost::json::parse(boost::json::serialize(json), error);
    return !error;
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lumeno::fuzz
