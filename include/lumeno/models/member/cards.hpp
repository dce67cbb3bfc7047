#pragma once

// Member cards and the requests that add and cancel them.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/error.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/models/member/member_details.hpp"

namespace lumeno {

/// One member card.
struct CardDetails {
    std::int64_t id = 0;                         ///< "id", strict
    std::optional<std::string> number;           ///< "number", lenient
    std::optional<std::string> name;             ///< "name", lenient
    std::optional<std::string> member;           ///< "member", lenient
    std::optional<std::string> status;           ///< "status", lenient
    std::optional<MemberDetailsConcise> memberData;  ///< "member_data", lenient
    std::optional<LumenoErrorResponse> error;    ///< "error", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static CardDetails decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<CardDetails>::decode(json, decoder);
    }
};

/// The reply of a card cancellation.
struct CardRequestResponse {
    std::optional<std::string> data;           ///< "data", lenient
    std::optional<LumenoErrorResponse> error;  ///< "error", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static CardRequestResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<CardRequestResponse>::decode(json, decoder);
    }
};

/// The request of adding a card; sent as the object of its properties.
struct CardAddRequest {
    std::string number;
    std::string name;
    std::string member;

    /// {"number", "name", "member"}
    [[nodiscard]] JsonValue toJson() const { return detail::Record<CardAddRequest>::toJson(*this); }
};

/// The request of cancelling a card; sent as the object of its properties.
struct CardCancelRequest {
    std::string reason;
    std::string comment;

    /// The request with this reason and comment.
    CardCancelRequest(std::string reason, std::string comment);

    /// {"reason", "comment"}
    [[nodiscard]] JsonValue toJson() const { return detail::Record<CardCancelRequest>::toJson(*this); }
};

}  // namespace lumeno
