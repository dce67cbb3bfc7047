#pragma once

#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/api/status.hpp"
#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/enums.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/paginated_response.hpp"
#include "lumeno/core/result.hpp"
#include "lumeno/detail/calls.hpp"
#include "lumeno/models/activity/accrual_detail.hpp"
#include "lumeno/models/activity/bit_response.hpp"
#include "lumeno/models/activity/lumeno_bit.hpp"
#include "lumeno/models/activity/receipts.hpp"
#include "lumeno/models/member/account_replies.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/family.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/member/member_response.hpp"
#include "lumeno/models/offers/lookups.hpp"
#include "lumeno/models/offers/sponsor_config.hpp"

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

    template <EncodableBody T>
    static Handle memberReferral(const Token& token, const T& request, Completion<MemberReferralResponse> completion) {
        return detail::memberReferral(token, detail::encodeBody(request), std::move(completion));
    }
    /// `params` go as the URL query.
    static Handle lookupMember(const Token& token, JsonObject params, Completion<MemberDetailsConcise> completion);
    /// Signs out on the platform and reports its reply, a flat object of texts. The stored
    /// credentials stay as they are: the host removes them (`CredentialsManager::removeCredential`).
    static Handle logout(const Token& token, Completion<std::map<std::string, std::string>> completion);
    /// The member's mobile pass, a flat object of texts.
    static Handle getMobilePass(const Token& token, std::string memberID,
                                Completion<std::map<std::string, std::string>> completion);

    // Passwords, one-time passwords and devices.

    // Cards, privileges and promotions.

    // Offers, bookings and the wish list.

    // Sponsors and locations.

    // Activity, transfers and receipts.

    /// A page of the member's activity records of one category ("bit_category") and type
    /// ("h_bit_type"), newest first. The dates ("date_from", "date_to", texts as given) are sent
    /// only when both are given; a lone date is not sent.
    static Handle getBITs(const Token& token, std::string memberID, std::string bitCategory, std::string bitType,
                          std::int64_t pageSize, std::optional<std::string> dateFrom, std::optional<std::string> dateTo,
                          Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    /// A page of the member's activity records; `parameters` go as the URL query with
    /// "page_size" and "member_id" set from the arguments, replacing the caller's values.
    static Handle getBITs(const Token& token, std::string memberID, JsonObject parameters, std::int64_t pageSize,
                          Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    /// The page behind a cursor of an earlier activity page.
    static Handle getBITsFromCursor(const Token& token, std::string cursor,
                                    Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    static Handle getAccrualDetailsFromBitID(const Token& token, std::int64_t bitId, std::int64_t pageSize,
                                             Completion<PaginatedResponse<std::vector<AccrualDetail>>> completion);

    /// Creates an activity record from the caller's body. A body that JSON text cannot carry (a
    /// number that is not finite, a text that is not valid UTF-8) is refused with
    /// `encodableMapping` on the main queue and nothing is sent.
    template <EncodableBody T>
    static Handle performTransaction(const Token& token, const T& request, Completion<BitResponse> completion) {
        return detail::performTransaction(token, detail::writableBody(request), std::move(completion));
    }

    /// Moves `transferAmount` points from `senderID` to `recipientID`: an "ACCRUAL" activity of
    /// type "POINTS_TRANSFER" for sponsor 1 in the programme of `Lumeno::shared()`, dated now
    /// ("yyyy-MM-dd'T'HH:mm:ssZ" in the programme's time zone). An amount that is not finite is
    /// refused with `encodableMapping` on the main queue and nothing is sent.
    static Handle performPointTransfer(const Token& token, std::string senderID, std::string recipientID,
                                       double transferAmount, Completion<BitResponse> completion);

    /// Uploads a receipt (usually an `UploadReceiptRequest`); a body that JSON text cannot carry
    /// is refused as by `performTransaction`.
    template <EncodableBody T>
    static Handle uploadReciept(const Token& token, const T& request, Completion<ReceiptResponse> completion) {
        return detail::uploadReciept(token, detail::writableBody(request), std::move(completion));
    }

    /// The member's receipts; `params` (taken before the token) go as the URL query.
    static Handle getReceipts(JsonObject params, const Token& token,
                              Completion<std::vector<ReceiptResponse>> completion);
    /// The sponsors' receipt configurations; `parameters` go as the URL query.
    static Handle getSponsorConfigs(const Token& token, JsonObject parameters,
                                    Completion<std::vector<SponsorConfigResponse>> completion);

    // Reference data and uploads.

    static Handle getLoginAttribute(const Token& token, Completion<LoginAttribute> completion);
    /// The active look-up values of the list `type`.
    static Handle getLookUps(const Token& token, std::string type, Completion<std::vector<LookUp>> completion);
    static Handle getAllLookUps(const Token& token, Completion<std::vector<LookUp>> completion);
    static Handle getBalanceTagNames(const Token& token, Completion<std::vector<BalanceTag>> completion);
    /// The active regions of the country named `country`.
    static Handle getRegion(const Token& token, std::string country, Completion<std::vector<Region>> completion);
    /// The active regions of the country with the code `countryCode`.
    static Handle fetchRegion(const Token& token, std::int64_t countryCode, Completion<std::vector<Region>> completion);
    static Handle getCountries(const Token& token, Completion<std::vector<Country>> completion);
    /// The cities of a region, those matching `search` when given. Takes no token and sends none.
    static Handle getCities(std::int64_t regionId, std::optional<std::string> search,
                            Completion<std::vector<GetCitiesResponse>> completion);
    /// A signed address for uploading the member's image, named after the member id with six
    /// random letters or digits. Only the `token` argument counts: without it the completion gets
    /// `invalidToken` at once, whatever is stored.
    static Handle getS3ImageUploadURL(const Token& token, std::string memberID, Completion<S3ImageResponse> completion);
    /// As `getS3ImageUploadURL`, for a receipt image.
    static Handle getS3ImageUploadReceiptURL(const Token& token, std::string memberID,
                                             Completion<S3ImageResponse> completion);

    // Family groups.

    static Handle getFamilySummary(const Token& token, std::string memberID, Completion<FamilySummary> completion);
    static Handle getFamilyMembers(const Token& token, std::string memberID,
                                   Completion<std::vector<MemberDetails>> completion);
    /// Invites by e-mail address.
    static Handle createFamilyInvite(const Token& token, std::string memberID, std::string inviteeEmail,
                                     Completion<FamilyInvite> completion);
    /// Invites by mobile number.
    static Handle createFamilyInvite(const Token& token, std::string memberID, std::string inviteeMobile,
                                     std::string inviteeGivenName, std::string familyHeadRelationship,
                                     std::string inviterName, Completion<FamilyInvite> completion);
    /// Invites a minor by e-mail address; `inviteeDOB` goes as the text given.
    static Handle createFamilyInviteByMinor(const Token& token, std::string memberID, std::string inviteeEmail,
                                            std::string inviteeDOB, Completion<FamilyInvite> completion);
    /// Every invitation of the member, or only those it received.
    static Handle getAllFamilyInvites(const Token& token, std::string memberID, bool onlyReceived,
                                      Completion<std::vector<FamilyInvite>> completion);
    static Handle retreiveFamilyMemberInvite(const Token& token, std::string memberID, std::int64_t invitationID,
                                             Completion<FamilyInvite> completion);
    /// Accepts (`accepted`) or rejects an invitation.
    static Handle familyMemberInviteAction(const Token& token, std::string memberID, std::int64_t invitationID,
                                           bool accepted, Completion<FamilyMemberInviteResponse> completion);
    static Handle deleteFamily(const Token& token, std::string memberID, Completion<void> completion);
    static Handle leaveFamily(const Token& token, std::string memberID, Completion<void> completion);
};

}  // namespace lumeno
