#include "models/offers/statistics_keys.hpp"

namespace lumeno {

using namespace detail;

namespace {

/// The elements of a positional row; throws `DecodingError` when the value is not a list.
const JsonArray& rowOf(const JsonValue& json) {
    if (!json.is_array()) json::throwMismatch("Array", json);
    return json.get_array();
}

std::optional<std::string> text(const JsonArray& row, std::size_t position) {
    if (position >= row.size() || !row[position].is_string()) return std::nullopt;
    return std::string(row[position].get_string());
}

std::int64_t integer(const JsonArray& row, std::size_t position) {
    if (position >= row.size()) return 0;
    return json::toInt64(row[position]).value_or(0);
}

}  // namespace

SponsorStatistics SponsorStatistics::decode(const JsonValue& json, const Decoder&) {
    const JsonArray& row = rowOf(json);
    return {integer(row, 0), text(row, 1), text(row, 2), text(row, 3), integer(row, 4)};
}


CategoryStatistics CategoryStatistics::decode(const JsonValue& json, const Decoder&) {
    const JsonArray& row = rowOf(json);
    return {text(row, 0), text(row, 1), integer(row, 2)};
}


}  // namespace lumeno
