#pragma once

// What the offer-side records share: the clock of the offers' end-date default, the date rule,
// the context writes of parent records, and the offer id that nested records read back.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/json/fields.hpp"
#include "lumeno/core/date_utils.hpp"

namespace lumeno::detail {

/// The clock behind `defaultOfferEndDate`. Tests point it at a fixed instant.
inline Date (*offerClock)() = [] { return std::chrono::system_clock::now(); };

/// The date rule, as the step right after the key of the date's text: a non-empty text that a
/// shared date format parses replaces the instant (a `Date` or an optional one); otherwise the
/// instant keeps its default.
template <class R, std::optional<std::string> R::*text, auto date>
constexpr Step<R> dateRule() {
    return {[](const KeyedReader&, R& out) {
        const std::optional<std::string>& received = out.*text;
        if (!received || received->empty()) return;
        if (auto parsed = DateUtils::shared()->date(*received)) out.*date = *parsed;
    }};
}

/// A fixed text as a template argument.
template <std::size_t N>
struct Literal {
    char text[N];
    constexpr Literal(const char (&literal)[N]) { std::copy_n(literal, N, text); }
};

/// The step right after a parent record's "id": under a decoding context it writes the id text
/// as `transferId`, `prefix` as `prefixExtraData` and, when given, `linkPrefix` as
/// `prefixLocationUrls`, for the records it decodes next.
template <class R, Literal prefix, Literal linkPrefix = "">
inline constexpr ContextStep<R> writeIds{[](R& record, DataTransferModel& context) {
    context.transferId = std::to_string(record.id);
    context.prefixExtraData.emplace(prefix.text);
    if constexpr (sizeof linkPrefix.text > 1) context.prefixLocationUrls.emplace(linkPrefix.text);
}};

/// An offer's context values: its id, "o" and "lu".
template <class R>
inline constexpr ContextStep<R> offerContext = writeIds<R, "o", "lu">;

/// A context's transfer id as an offer id: the whole text as a base-10 integer with an optional
/// sign ("42", "+42", "-42"); 0 for anything else ("", "x7", " 42", out of range).
inline std::int64_t offerIdFromText(std::string_view text) {
    if (text.starts_with('+') && !text.starts_with("+-")) text.remove_prefix(1);
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc{} && ptr == end ? value : 0;
}

}  // namespace lumeno::detail
