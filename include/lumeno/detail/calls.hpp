#pragma once

// What the call templates of `LumenoRequest` need: the request-body concept and the
// non-template halves of the generic calls.

#include <concepts>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/api/status.hpp"
#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/enums.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/result.hpp"
#include "lumeno/models/activity/bit_response.hpp"
#include "lumeno/models/activity/receipts.hpp"
#include "lumeno/models/member/account_replies.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/offer_actions.hpp"

namespace lumeno {

/// A request body of the generic calls: a record with `JsonValue toJson() const`, or JSON itself.
template <class T>
concept EncodableBody = EncodableModel<T> || std::convertible_to<T, JsonValue>;

/// The member's token a call sends; nullopt reads the stored one (see `LumenoRequest`).
using Token = std::optional<std::string>;
/// A call's request in flight, to cancel; nullptr when the call sent nothing.
using Handle = std::shared_ptr<Cancellable>;

namespace detail {
Handle enrollMember(Result<JsonValue> memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                    std::optional<std::string> reCaptchaSiteKey, Completion<MemberRegistrationStatus> completion);
Handle enrollMemberV1(Result<JsonValue> memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                      std::optional<std::string> reCaptchaSiteKey, Completion<MemberRegistrationStatusV1> completion);
Handle patchMember(const Token& token, std::string memberId, Result<JsonValue> updateRequest,
                   Completion<MemberDetails> completion);
Handle getMemberOffers(const Token& token, std::string memberID, Result<JsonValue> request,
                       Completion<std::vector<MemberOffer>> completion);
Handle performTransaction(const Token& token, Result<JsonValue> request, Completion<BitResponse> completion);
Handle uploadReciept(const Token& token, Result<JsonValue> request, Completion<ReceiptResponse> completion);
Handle memberReferral(const Token& token, Result<JsonValue> request, Completion<MemberReferralResponse> completion);

template <EncodableBody T>
JsonValue encodeBody(const T& body) {
    if constexpr (EncodableModel<T>) return body.toJson();
    else return JsonValue(body);
}

/// The body as JSON that JSON text can carry, or `encodableMapping` when the record refuses to
/// encode or the JSON holds a number that is not finite or a text that is not valid UTF-8.
template <EncodableBody T>
Result<JsonValue> writableBody(const T& body) {
    try {
        return json::writable(encodeBody(body));
    } catch (const EncodingError& error) {
        return fail(LumenoError::encodableMapping(error.what()));
    }
}
}  // namespace detail

}  // namespace lumeno
