#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/api/status.hpp"
#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/enums.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/result.hpp"
#include "lumeno/detail/calls.hpp"
#include "lumeno/models/member/account_replies.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/member/member_response.hpp"

namespace lumeno {


/// The platform's API. Every call is a static member: it sends one request and hands the
/// result, or a `LumenoError`, to its completion on `MainQueue`, exactly once.
///
/// Calls that take a `token` use it when given (an empty text is a token too: the request then
/// carries no "Authorization"), else the stored "token" item; with neither, the completion
/// gets `invalidToken` at once, on the caller's thread, nothing is sent and the call returns
/// nullptr. Otherwise the call returns the handle of the request in flight.
class LumenoRequest {
public:
    LumenoRequest() = delete;

    // Enrolment and validation.

    /// Enrols a member. A failed reply whose first error has the code "member_exists" or
    /// "member_exists_unvalidated" and a "member_id" text in its data is reported as `Exists`
    /// or `ExistsUnvalidated`. On success the new member's "token" and "expires_in" (the text
    /// as received) are stored. Never returns nullptr.
    template <EncodableBody T>
    static Handle enrollMember(const T& memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                               std::optional<std::string> reCaptchaSiteKey,
                               Completion<MemberRegistrationStatus> completion) {
        return detail::enrollMember(detail::encodeBody(memberData), type, std::move(reCaptchaToken),
                                    std::move(reCaptchaSiteKey), std::move(completion));
    }

    /// Enrols a member and reads the outcome from the reply's status: 201 created, 200 exists,
    /// 202 exists but unvalidated; any other status fails. Stores nothing. Never returns nullptr.
    template <EncodableBody T>
    static Handle enrollMemberV1(const T& memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                                 std::optional<std::string> reCaptchaSiteKey,
                                 Completion<MemberRegistrationStatusV1> completion) {
        return detail::enrollMemberV1(detail::encodeBody(memberData), type, std::move(reCaptchaToken),
                                      std::move(reCaptchaSiteKey), std::move(completion));
    }

    /// Confirms a new member with a one-time password; the reply's token is not stored.
    /// Never returns nullptr.
    static Handle validateMember(std::string memberId, std::string otp, std::optional<ValidateMemberExtraData> extraData,
                                 Completion<LumenoTokenResponse> completion);

    // Login.

    /// Logs in with a password. On success stores the password session ("user", "token",
    /// "sessionTypeKey" 0, "sessionTypePassword", "expiry") before the completion runs; a
    /// failure stores nothing.
    static Handle login(std::string username, std::string password, Completion<MemberResponse> completion);

    // Social sign-in and account linking.

    // Member profile and balances.

    static Handle getMemberStatus(std::string loginAttribute, std::string username, Completion<MemberStatus> completion);
    static Handle getMemberDetails(const Token& token, Completion<MemberDetails> completion);
    static Handle getMemberDetails(const Token& token, std::string memberID, Completion<MemberDetails> completion);
    /// The balances of the profile fetched by member id.
    static Handle getMemberBalances(const Token& token, std::string memberID,
                                    Completion<std::vector<MemberBalance>> completion);
    /// The balances from the balances endpoint, whose reply is the profile itself; `parameters`
    /// go as the URL query.
    static Handle getMemberBalances(const Token& token, std::string memberID, JsonObject parameters,
                                    Completion<std::vector<MemberBalance>> completion);
    static Handle getPointBalance(const Token& token, std::string memberID, std::int64_t accountID,
                                  Completion<PendingPointBalance> completion);

    /// Updates the profile. The reply is decoded without a decoding context, so the balances'
    /// `memberId` stays absent.
    template <EncodableBody T>
    static Handle patchMember(const Token& token, std::string memberId, const T& updateRequest,
                              Completion<MemberDetails> completion) {
        return detail::patchMember(token, std::move(memberId), detail::encodeBody(updateRequest), std::move(completion));
    }

    // Referral, member look-up, logout and the mobile pass.

    // Passwords, one-time passwords and devices.

    // Cards, privileges and promotions.

    // Offers, bookings and the wish list.

    // Sponsors and locations.

    // Activity, transfers and receipts.

    // Reference data and uploads.

    // Family groups.
};

}  // namespace lumeno
