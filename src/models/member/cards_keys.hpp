#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/cards.hpp"

namespace lumeno::detail {

inline constexpr auto cardDetailsKeys = fields<CardDetails>(
    strict("id", &CardDetails::id), lenient("number", &CardDetails::number), lenient("name", &CardDetails::name),
    lenient("member", &CardDetails::member), lenient("status", &CardDetails::status),
    lenient("member_data", &CardDetails::memberData), lenient("error", &CardDetails::error));
template <> inline constexpr const auto& keysOf<CardDetails> = cardDetailsKeys;

inline constexpr auto cardRequestResponseKeys = fields<CardRequestResponse>(
    lenient("data", &CardRequestResponse::data), lenient("error", &CardRequestResponse::error));
template <> inline constexpr const auto& keysOf<CardRequestResponse> = cardRequestResponseKeys;

// The requests go out as the object of their properties, keyed by the property names.
inline constexpr auto cardAddRequestKeys = fields<CardAddRequest>(
    strict("number", &CardAddRequest::number), strict("name", &CardAddRequest::name),
    strict("member", &CardAddRequest::member));
template <> inline constexpr const auto& keysOf<CardAddRequest> = cardAddRequestKeys;

inline constexpr auto cardCancelRequestKeys = fields<CardCancelRequest>(
    strict("reason", &CardCancelRequest::reason), strict("comment", &CardCancelRequest::comment));
template <> inline constexpr const auto& keysOf<CardCancelRequest> = cardCancelRequestKeys;

}  // namespace lumeno::detail
