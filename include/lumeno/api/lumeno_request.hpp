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
#include "lumeno/core/coordinate.hpp"
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
#include "lumeno/models/member/cards.hpp"
#include "lumeno/models/member/family.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/member/member_response.hpp"
#include "lumeno/models/offers/lookups.hpp"
#include "lumeno/models/offers/offer.hpp"
#include "lumeno/models/offers/offer_actions.hpp"
#include "lumeno/models/offers/offer_booking.hpp"
#include "lumeno/models/offers/promotion.hpp"
#include "lumeno/models/offers/rates.hpp"
#include "lumeno/models/offers/recommended_offer.hpp"
#include "lumeno/models/offers/sponsor.hpp"
#include "lumeno/models/offers/sponsor_config.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"

namespace lumeno {


/// The platform's API. Every call is a static member: it sends one request and hands the
/// result, or a `LumenoError`, to its completion on `MainQueue`, exactly once.
///
/// Calls that take a `token` use it when given (an empty text is a token too: the request then
/// carries no "Authorization"), else the stored "token" item; with neither, the completion
/// gets `invalidToken` at once, on the caller's thread, nothing is sent and the call returns
/// nullptr. Otherwise the call returns the handle of the request in flight.
///
/// Paths are under the "api_gateway" setting; every request carries "x-api-key", and a token
/// goes as "Authorization: {token_type} {token}". A value that names one thing in the path (a
/// member id, a type) goes as one segment, a "/" in it escaped. Every call can fail with:
/// - `requestMapping`, on `MainQueue` with nothing sent, when no request can be built: an empty
///   path value, a "." or "..", a number in a URL query that is not finite, a URL libcurl
///   refuses, a header value with a line break or NUL byte;
/// - `encodableMapping`, likewise, for a body JSON text cannot carry (a text that is not valid
///   UTF-8, a number that is not finite);
/// - `underlying` when the transfer fails or the call is cancelled (`isCancellation`);
/// - `statusCode` for a status outside 200...299 with an error body (`responseError`), else
///   `lumenoErrorMapping`;
/// - `objectMapping` when a successful reply does not decode as the result (no body, no JSON,
///   a missing key path or record key).
///
/// A `void` completion succeeds on any 2xx, whatever the body. Records decode under a fresh
/// decoding context unless said otherwise; a page's cursors are its "prev" and "next" headers.
class LumenoRequest {
public:
    LumenoRequest() = delete;

    // Enrolment and validation.

    /// Enrols a member: POST /members/ (on the "v2" gateway when "use_v2_signup" is set), or
    /// /members/social/{type}/ for a social `type`, with `memberData` as the body and the
    /// reCAPTCHA headers as `resetPassword` sends them; no token. A failed reply whose first
    /// error has the code "member_exists" or "member_exists_unvalidated" and a "member_id" text
    /// in its data is reported as `Exists` or `ExistsUnvalidated`. On success the new member's
    /// "token" and "expires_in" (the text as received) are stored; the record decodes without a
    /// decoding context. A body that JSON text cannot carry fails with `encodableMapping` on
    /// `MainQueue`, nothing sent. Never returns nullptr.
    template <EncodableBody T>
    static Handle enrollMember(const T& memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                               std::optional<std::string> reCaptchaSiteKey,
                               Completion<MemberRegistrationStatus> completion) {
        return detail::enrollMember(detail::writableBody(memberData), type, std::move(reCaptchaToken),
                                    std::move(reCaptchaSiteKey), std::move(completion));
    }

    /// Enrols a member with the request of `enrollMember`, and reads the outcome from the
    /// reply's status: 201 created, 200 exists, 202 exists but unvalidated, each with the body's
    /// record (decoded without a decoding context); any other status, 2xx included, fails as a
    /// refused status does. Stores nothing. A body that JSON text cannot carry fails with
    /// `encodableMapping`, nothing sent. Never returns nullptr.
    template <EncodableBody T>
    static Handle enrollMemberV1(const T& memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                                 std::optional<std::string> reCaptchaSiteKey,
                                 Completion<MemberRegistrationStatusV1> completion) {
        return detail::enrollMemberV1(detail::writableBody(memberData), type, std::move(reCaptchaToken),
                                      std::move(reCaptchaSiteKey), std::move(completion));
    }

    /// Confirms a new member with a one-time password: POST /members/validate/{memberId}/ with
    /// {"otp"} and, when given, the extra attribute under its own key (one named "otp" is left
    /// out: it cannot replace the password); no token. The reply's token is not stored. Never returns nullptr.
    static Handle validateMember(std::string memberId, std::string otp, std::optional<ValidateMemberExtraData> extraData,
                                 Completion<LumenoTokenResponse> completion);

    // Login.

    /// Logs in with a password: POST /members/login/ with {"username", "password"}, no token.
    /// On success stores the password session ("user", "token", "sessionTypeKey" 0,
    /// "sessionTypePassword", "expiry") before the completion runs; a failure stores nothing.
    /// A refusal's code reads through `LumenoError::loginErrorCode`. Never returns nullptr.
    static Handle login(std::string username, std::string password, Completion<MemberResponse> completion);

    // Social sign-in and account linking.

    /// Signs in with a Facebook identity: POST /members/social/facebook/login/ with
    /// {"facebook_id", "access_token"}, no token. On success the reply's token and expiry
    /// replace the stored ones and "sessionTypeKey" becomes 1 (a social session, which the
    /// request hook does not renew); "user" and "sessionTypePassword" are left as they are.
    /// Never returns nullptr.
    static Handle enrollMemberFB(std::string fbID, std::string accessToken, Completion<MemberResponse> completion);
    /// Signs in with a Google identity: POST /members/social/google/login/ with {"google_id",
    /// "id_token"}; `idToken` is Google's identity token and goes in the body, never in
    /// "Authorization". Stores a social session as `enrollMemberFB` does. Never returns nullptr.
    static Handle authenticateMemberGoogle(std::string googleID, std::string idToken,
                                           Completion<MemberResponse> completion);
    /// Whether a member signed up with this Apple identity: POST /members/apple-exists/ with
    /// {"apple_uid"}, no token. Stores nothing. Never returns nullptr.
    static Handle getMemberStatusApple(std::string appleId, Completion<AppleStatus> completion);
    /// Signs in with an Apple authorisation code: POST /members/social/apple/login/ with
    /// `details` as the body, no token. Stores a social session as `enrollMemberFB` does.
    /// Never returns nullptr.
    static Handle authenticateMemberApple(const AppleLoginDetails& details, Completion<MemberResponse> completion);
    /// Links a Facebook identity to the member: POST /members/social/facebook/link/ with
    /// {"facebook_id", "access_token", "member_id"}. When the reply carries a token, it and its
    /// expiry replace the stored ones; the kind of session stays as it was. A reply without a
    /// token leaves the stored token and expiry alone.
    static Handle linkFacebook(const Token& token, std::string memberID, std::string fbId, std::string accessToken,
                               Completion<MemberResponse> completion);
    /// Links an Apple identity: POST /members/social/apple/link/ with {"code"}. Stores nothing,
    /// even when the reply carries a token.
    static Handle linkApple(const Token& token, std::string authorizationCode, Completion<MemberResponse> completion);
    /// Links a Google identity: POST /members/social/google/link/ with {"id_token",
    /// "google_id"}. Stores nothing, even when the reply carries a token.
    static Handle linkGoogle(const Token& token, std::string googleToken, std::string googleId,
                             Completion<MemberResponse> completion);
    /// Removes the link of the social network `type` ("facebook", "google", "apple"): POST
    /// /members/social/{type}/delink/ without a body. Stores nothing, whatever the reply's
    /// `logout` says.
    static Handle delinkSocial(const Token& token, std::string type, Completion<SocialDelinkResponse> completion);

    // Member profile and balances.

    /// Whether a member with this login attribute exists: POST /members/exists/ with
    /// {loginAttribute: username}, no token. Never returns nullptr.
    static Handle getMemberStatus(std::string loginAttribute, std::string username, Completion<MemberStatus> completion);
    /// The profile of the token's member: GET /members/details/, the record under the reply's
    /// "data".
    static Handle getMemberDetails(const Token& token, Completion<MemberDetails> completion);
    /// A profile by member id: GET /members/data/{memberID}/, the record under the reply's "data".
    static Handle getMemberDetails(const Token& token, std::string memberID, Completion<MemberDetails> completion);
    /// The balances of the profile fetched by member id (GET /members/data/{memberID}/, the
    /// record under "data"); the rest of the profile is dropped.
    static Handle getMemberBalances(const Token& token, std::string memberID,
                                    Completion<std::vector<MemberBalance>> completion);
    /// The balances from GET /members/{memberID}/balances/, whose reply is the profile itself;
    /// `parameters` go as the URL query.
    static Handle getMemberBalances(const Token& token, std::string memberID, JsonObject parameters,
                                    Completion<std::vector<MemberBalance>> completion);
    /// The pending points of one loyalty account: GET
    /// /members/{memberID}/loyaltyaccount/{accountID}/.
    static Handle getPointBalance(const Token& token, std::string memberID, std::int64_t accountID,
                                  Completion<PendingPointBalance> completion);

    /// Updates the profile: PATCH /members/update/{memberId}/ with `updateRequest` as the body.
    /// The reply is decoded without a decoding context, so the balances' `memberId` stays
    /// absent. A body that JSON text cannot carry fails with `encodableMapping`, nothing sent.
    template <EncodableBody T>
    static Handle patchMember(const Token& token, std::string memberId, const T& updateRequest,
                              Completion<MemberDetails> completion) {
        return detail::patchMember(token, std::move(memberId), detail::writableBody(updateRequest), std::move(completion));
    }

    // Referral, member look-up, logout and the mobile pass.

    /// Refers others to the programme: POST /members/referral/ with `request` as the body. A
    /// body that JSON text cannot carry fails with `encodableMapping`, nothing sent.
    template <EncodableBody T>
    static Handle memberReferral(const Token& token, const T& request, Completion<MemberReferralResponse> completion) {
        return detail::memberReferral(token, detail::writableBody(request), std::move(completion));
    }
    /// Finds a member: GET /members/lookup/ with `params` as the URL query.
    static Handle lookupMember(const Token& token, JsonObject params, Completion<MemberDetailsConcise> completion);
    /// Signs out on the platform (POST /logout/ without a body) and reports its reply, a flat
    /// object of texts. The stored credentials stay as they are: the host removes them
    /// (`CredentialsManager::removeCredential`).
    static Handle logout(const Token& token, Completion<std::map<std::string, std::string>> completion);
    /// The member's mobile pass, a flat object of texts: GET /members/{memberID}/passes.
    static Handle getMobilePass(const Token& token, std::string memberID,
                                Completion<std::map<std::string, std::string>> completion);

    // Passwords, one-time passwords and devices.

    /// Whether the member has a password: POST /members/password-exists/ with
    /// {forLoginAttributeKey: loginAttributeValue}, no token. Never returns nullptr.
    static Handle getPasswordStatus(std::string forLoginAttributeKey, std::string loginAttributeValue,
                                    Completion<PasswordStatus> completion);
    /// Sets the password: POST to the `choosePasswordEndpoint` setting with {"password"}, with
    /// the token of a one-time-password check (never the stored token). On success
    /// "sessionTypeKey" becomes 0 and "sessionTypePassword" the new password, before the
    /// completion runs; the reply's token is not stored. Never returns nullptr.
    static Handle setMemberPassword(std::string password, std::string otpToken,
                                    Completion<ChangePasswordResponse> completion);
    /// Changes the password: PUT to the `changePasswordEndpoint` setting with
    /// {"current_password", "password"}. On success stores the password session as
    /// `setMemberPassword` does. A refusal's code reads through `changePasswordErrorCode`.
    static Handle changePassword(const Token& token, std::string oldPassword, std::string newPassword,
                                 Completion<ChangePasswordResponse> completion);
    /// Asks for a reset key: POST to the `resetPasswordEndpoint` setting with `request` as the
    /// body, no token. The "Recaptcha-Token" and "Recaptcha-SiteKey" headers go along when
    /// reCAPTCHA is enabled and both texts are non-empty. Never returns nullptr.
    static Handle resetPassword(JsonObject request, std::optional<std::string> reCaptchaToken,
                                std::optional<std::string> reCaptchaSiteKey, Completion<void> completion);
    /// Sets a new password with a reset key: POST to the `doResetPasswordEndpoint` setting, no
    /// token. The body holds `loginAttribute`: `username`, "new_password" and "reset_key"; a
    /// login attribute named like one of the last two cannot replace it. A refusal's code reads
    /// through `resetPasswordErrorCode`. Never returns nullptr.
    static Handle doResetPassword(std::string loginAttribute, std::string username, std::string password,
                                  std::string resetKey, Completion<void> completion);
    /// Registers a device of the member: POST /members/devices/ with {"member", "device",
    /// "platform"}.
    static Handle registerDevice(const Token& token, std::string memberID, std::string deviceID, std::string platform,
                                 Completion<void> completion);
    /// Removes a device: DELETE /members/devices/ with {"device"} as the body.
    static Handle deleteDevice(const Token& token, std::string deviceID, Completion<void> completion);
    /// Sends a one-time password to `username`: POST /members/send-otp/ with {loginAttribute:
    /// username}. With a token (an empty one too) the request carries it; without one it goes
    /// without "Authorization": the stored token is never read and the call always sends.
    static Handle sendOtp(const Token& token, std::string loginAttribute, std::string username,
                          Completion<void> completion);
    /// Sends the member a one-time password for `service`: POST /members/{memberId}/otp/ with
    /// {"action": "GENERATE", "service": the service's raw value}.
    static Handle generateOTPForService(OTPServiceType service, const Token& token, std::string memberId,
                                        Completion<void> completion);
    /// Checks a one-time password for `service`: POST /members/{memberId}/otp/ with
    /// {"member_id", "action": "VALIDATE", "otp", "service"}. A refusal's code reads through
    /// `LumenoError::validateOTPErrorCode`.
    static Handle validateOTP(OTPServiceType service, const Token& token, std::string memberId, std::string otp,
                              Completion<void> completion);

    // Cards, privileges and promotions.

    /// The member's cards, newest first: GET /cards/ with "member_id", "page_size" (the
    /// `defaultPageLimit` setting) and "ordering" "-created_ts"; one page, as a plain list.
    static Handle getMemberCards(const Token& token, std::string memberID,
                                 Completion<std::vector<CardDetails>> completion);
    /// Adds a card: POST /cards/ with the request's properties ("number", "name", "member").
    static Handle addMemberCard(const Token& token, const CardAddRequest& addRequest,
                                Completion<CardDetails> completion);
    /// Deactivates a card: POST /cards/{cardID}/deactivate/ with the request's properties
    /// ("reason", "comment").
    static Handle cancelMemberCard(const Token& token, std::int64_t cardID, const CardCancelRequest& cancelRequest,
                                   Completion<CardRequestResponse> completion);
    /// The member's privileges, newest first: GET /members/privileges/{memberId}/ with
    /// "page_size" and "ordering" "-created_ts"; the list under the reply's "data", decoded
    /// without a decoding context, with the cursors of the "prev" and "next" headers.
    static Handle getMemberPrivileges(const Token& token, std::string memberId, std::int64_t pageSize,
                                      Completion<PaginatedResponse<std::vector<Promotion>>> completion);
    /// The page at a cursor of an earlier privileges page (a GET of the cursor, the list under
    /// "data"). A cursor that is no URL, or leads off the gateway's origin (scheme, host and
    /// port), fails with `requestMapping` and nothing is sent.
    static Handle getMemberPrivileges(const Token& token, std::string fromCursor,
                                      Completion<PaginatedResponse<std::vector<Promotion>>> completion);
    /// The member's privilege with the code `privilegeCode`: the first privilege of the first
    /// page (the request of `getMemberPrivileges`, of the `defaultPageLimit` setting read when
    /// called) whose code equals it exactly. This reply is read as a bare list, without a
    /// decoding context; no match, an empty list included, fails with `jsonMapping`. Later
    /// pages are never looked at.
    static Handle getPrivilege(const Token& token, std::string memberId, std::string privilegeCode,
                               Completion<Promotion> completion);

    // Offers, bookings and the wish list.

    /// The newest offers, `pageSize` to a page: GET /offers/ with "page_size" and "ordering"
    /// "-created_ts".
    static Handle getOffers(const Token& token, std::int64_t pageSize,
                            Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// Offers matching `parameters`: GET /offers/ with them as the URL query, "page_size" set to
    /// `pageSize` in this copy of them, over any value they hold.
    static Handle getOffers(const Token& token, JsonObject parameters, std::int64_t pageSize,
                            Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// Offers around `location`: GET /offers/ with "latitude", "longitude", "page_size", and
    /// "radius" only when given.
    static Handle getOffers(const Token& token, Coordinate location, std::optional<double> radius,
                            std::int64_t pageSize, Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// The newest offers of one category: GET /offers/ with "category", "page_size" and
    /// "ordering" "-created_ts".
    static Handle getOffersByCategory(const Token& token, std::string category, std::int64_t pageSize,
                                      Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// The offers at one location, by its code: GET /offers/ with "location_code" and "page_size".
    static Handle getOffersByLocationCode(const Token& token, std::string locationCode, std::int64_t pageSize,
                                          Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// The member's favourite offers, newest first: GET /offers/ with "favorites" "True",
    /// "page_size" and "ordering" "-created_ts".
    static Handle getFavoriteOffers(const Token& token, std::int64_t pageSize,
                                    Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// The page a cursor of an earlier page points at. The cursor is sent unchanged as the whole
    /// URL of a GET; one that is no URL, or leads off the gateway's origin (scheme, host and
    /// port), fails with `requestMapping` and nothing is sent.
    static Handle getOffersFromCursor(const Token& token, std::string cursor,
                                      Completion<PaginatedResponse<std::vector<Offer>>> completion);
    /// One offer: GET /offers/{id}/.
    static Handle getOffer(const Token& token, std::int64_t id, Completion<Offer> completion);
    /// Accepts or rejects an offer: POST /offers/{offerId}/acceptances/ with {"accepted"}; any
    /// successful status completes it, whatever the body.
    static Handle acceptOffer(const Token& token, std::int64_t offerId, bool accept, Completion<void> completion);
    /// Rates an offer: POST /offers/{withID}/ratings/ with {"rating"}, the rating as a decimal
    /// text; any successful status completes it, whatever the body.
    static Handle rateOffer(const Token& token, std::int64_t withID, std::int64_t rating, Completion<void> completion);
    /// What the member has done with an offer: GET /offers/{withID}/actions/.
    static Handle getMemberActionDataForOffer(const Token& token, std::int64_t withID,
                                              Completion<MemberAction> completion);
    /// Recommendations for the member `withID`: GET /members/{withID}/offer-recommendations/
    /// with `params` as the URL query, as given (even when empty); without them the query is
    /// "count" 3. A plain list.
    static Handle getMemberRecommendedOffers(const Token& token, std::string withID, std::optional<JsonObject> params,
                                             Completion<std::vector<RecommendedOffer>> completion);
    /// How an offer is to be presented: GET /offers/{withID}/offerpresentment/.
    static Handle getPresentmentForOffer(const Token& token, std::int64_t withID,
                                         Completion<OfferPresentment> completion);
    /// Books an offer at a location: POST /offer-bookings/{memberID}/ with "status" (its raw
    /// value), "offer", "location_code", "booking_start_datetime" and "booking_end_datetime";
    /// the times go out as the texts given.
    static Handle createOfferBooking(const Token& token, std::string memberID, BookingStatus status,
                                     std::int64_t offerID, std::string locationCode, std::string startTime,
                                     std::string endTime, Completion<OfferBooking> completion);
    /// The member's bookings, newest first: GET /offer-bookings/{memberID}/ with "page_size"
    /// and "ordering" "-created_ts"; a plain list (cursor headers are not read).
    static Handle getOfferBookings(const Token& token, std::string memberID, std::int64_t pageSize,
                                   Completion<std::vector<OfferBooking>> completion);
    /// Changes a booking's status: PATCH /offer-bookings/{memberID}/{bookingID}/ with
    /// {"status"}, its raw value.
    static Handle updateOfferBooking(const Token& token, std::string memberID, std::int64_t bookingID,
                                     BookingStatus status, Completion<OfferBooking> completion);
    /// Adds offers to the wish list: POST /members/{memberId}/wishlist/ with the list of
    /// {"offer_id": n} as the body, even when empty.
    static Handle addToWishList(const Token& token, std::string memberId, std::vector<std::int64_t> offerIds,
                                Completion<WishlistUpdateResponse> completion);
    /// Removes offers from the wish list: a DELETE of the same path with the same list body.
    static Handle removeFromWishList(const Token& token, std::string memberId, std::vector<std::int64_t> offerIds,
                                     Completion<WishlistUpdateResponse> completion);
    /// The wish list, expired offers included: GET /members/{memberId}/wishlist/ with
    /// "expired" "true"; a plain list.
    static Handle getWishlist(const Token& token, std::string memberId, Completion<std::vector<Offer>> completion);
    /// The member's offers that `request` selects: POST /members/{memberID}/member-offers/ with
    /// `request` as the body. A body that JSON text cannot carry fails with `encodableMapping`,
    /// nothing sent.
    template <EncodableBody T>
    static Handle getMemberOffers(const Token& token, std::string memberID, const T& request,
                                  Completion<std::vector<MemberOffer>> completion) {
        return detail::getMemberOffers(token, std::move(memberID), detail::writableBody(request), std::move(completion));
    }

    // Sponsors and locations.

    /// One sponsor: GET /sponsors/{id}/.
    static Handle getSponsor(const Token& token, std::int64_t id, Completion<Sponsor> completion);
    /// A page of sponsors: GET /sponsors/ with `parameters` as the URL query, "page_size" set
    /// to `pageSize`.
    static Handle getSponsors(const Token& token, JsonObject parameters, std::int64_t pageSize,
                              Completion<PaginatedResponse<std::vector<Sponsor>>> completion);
    /// The page at a cursor of an earlier sponsors page, a GET of the cursor. The cursor is the
    /// whole request: `parameters` and `pageSize` take no part in it. A cursor that is no URL,
    /// or leads off the gateway's origin (scheme, host and port), fails with `requestMapping`
    /// and nothing is sent.
    static Handle getSponsorsFrom(const Token& token, std::string cursor, JsonObject parameters, std::int64_t pageSize,
                                  Completion<PaginatedResponse<std::vector<Sponsor>>> completion);
    /// The trimmed sponsors as a plain list (cursor headers are ignored): GET /trim/sponsors
    /// with `parameters` as the URL query, "page_size" set to `pageSize`.
    static Handle getTrimmedSponsors(const Token& token, JsonObject parameters, std::int64_t pageSize,
                                     Completion<std::vector<TrimSponsor>> completion);
    /// A page of one sponsor's locations: GET /locations/ with `parameters` as the URL query,
    /// "sponsor_id" set to `sponserId` and "limit" to `pageSize` (the page size goes as "limit"
    /// only).
    static Handle getSponsorLocations(const Token& token, std::int64_t sponserId, std::int64_t pageSize,
                                      JsonObject parameters,
                                      Completion<PaginatedResponse<std::vector<SponsorLocation>>> completion);
    /// A page of locations: GET /locations/ with `parameters` as the URL query.
    static Handle getSponsorLocations(const Token& token, JsonObject parameters,
                                      Completion<PaginatedResponse<std::vector<SponsorLocation>>> completion);
    /// The locations that `request` selects, as a plain list: GET /locations/ with `request` as
    /// the URL query.
    static Handle getLocationBasedOffers(const Token& token, JsonObject request,
                                         Completion<std::vector<SponsorLocation>> completion);
    /// Checks a merchant's PIN: POST /sponsors/{sponsorId}/pin/ with {"pin"}, the text given
    /// (leading zeros kept). Any 2xx reply is success whatever its body.
    static Handle verifyMerchantPin(const Token& token, std::int64_t sponsorId, std::string pin,
                                    Completion<void> completion);
    /// A sponsor's base rates for a loyalty account: GET /sponsors/{sponsorId}/base-rates/ with
    /// "loyalty_account"; a plain list.
    static Handle getSponsorBaseRate(const Token& token, std::int64_t sponsorId, std::int64_t loyaltyAccount,
                                     Completion<std::vector<SponsorBaseRateResponse>> completion);
    /// The programme's point-conversion rates of a policy: GET /point-conversion-rates/list/
    /// with "loyalty_account_id" and "policy_type", the policy's raw value ("Award", "Reward").
    static Handle getSponsorDefaultBaseRate(const Token& token, SponsorDefaultBaseRatePolicy policyType,
                                            std::int64_t loyaltyAccount,
                                            Completion<std::vector<SponsorDefaultRateResponse>> completion);

    // Activity, transfers and receipts.

    /// A page of the member's activity records of one category ("bit_category") and type
    /// ("h_bit_type"), newest first: GET /bits/ with "member_id", "page_size" and "ordering"
    /// "-created_ts". The dates ("date_from", "date_to", texts as given) are sent only when
    /// both are given; a lone date is not sent.
    static Handle getBITs(const Token& token, std::string memberID, std::string bitCategory, std::string bitType,
                          std::int64_t pageSize, std::optional<std::string> dateFrom, std::optional<std::string> dateTo,
                          Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    /// A page of the member's activity records: GET /bits/ with `parameters` as the URL query,
    /// "page_size" and "member_id" set from the arguments, replacing the caller's values.
    static Handle getBITs(const Token& token, std::string memberID, JsonObject parameters, std::int64_t pageSize,
                          Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    /// The page behind a cursor of an earlier activity page, a GET of the cursor; a cursor that
    /// is no URL, or leads off the gateway's origin, fails with `requestMapping` and nothing is
    /// sent.
    static Handle getBITsFromCursor(const Token& token, std::string cursor,
                                    Completion<PaginatedResponse<std::vector<LumenoBit>>> completion);
    /// A page of the accruals of one activity record: GET /bits/{bitId}/accruals/ with
    /// "page_size".
    static Handle getAccrualDetailsFromBitID(const Token& token, std::int64_t bitId, std::int64_t pageSize,
                                             Completion<PaginatedResponse<std::vector<AccrualDetail>>> completion);

    /// Creates an activity record from the caller's body: POST /bit/. A body that JSON text
    /// cannot carry (a number that is not finite, a text that is not valid UTF-8) is refused
    /// with `encodableMapping` on the main queue and nothing is sent.
    template <EncodableBody T>
    static Handle performTransaction(const Token& token, const T& request, Completion<BitResponse> completion) {
        return detail::performTransaction(token, detail::writableBody(request), std::move(completion));
    }

    /// Moves `transferAmount` points from `senderID` to `recipientID`: POST /bit/ with an
    /// "ACCRUAL" activity of type "POINTS_TRANSFER" for sponsor 1 in the programme of
    /// `Lumeno::shared()`, dated now ("yyyy-MM-dd'T'HH:mm:ssZ" in the programme's time zone).
    /// An amount that is not finite is refused with `encodableMapping` on the main queue and
    /// nothing is sent.
    static Handle performPointTransfer(const Token& token, std::string senderID, std::string recipientID,
                                       double transferAmount, Completion<BitResponse> completion);

    /// Uploads a receipt (usually an `UploadReceiptRequest`): POST /receipts/ with `request` as
    /// the body; a body that JSON text cannot carry is refused as by `performTransaction`.
    template <EncodableBody T>
    static Handle uploadReciept(const Token& token, const T& request, Completion<ReceiptResponse> completion) {
        return detail::uploadReciept(token, detail::writableBody(request), std::move(completion));
    }

    /// The member's receipts: GET /receipts/ with `params` (taken before the token) as the URL
    /// query; a plain list.
    static Handle getReceipts(JsonObject params, const Token& token,
                              Completion<std::vector<ReceiptResponse>> completion);
    /// The sponsors' receipt configurations: GET /receipts/config/ with `parameters` as the URL
    /// query; a plain list.
    static Handle getSponsorConfigs(const Token& token, JsonObject parameters,
                                    Completion<std::vector<SponsorConfigResponse>> completion);

    // Reference data and uploads.

    /// The programme's login attribute: GET /login-attributes/.
    static Handle getLoginAttribute(const Token& token, Completion<LoginAttribute> completion);
    /// The active look-up values of the list `type`: GET /lookups/ with "type" and "active" 1.
    static Handle getLookUps(const Token& token, std::string type, Completion<std::vector<LookUp>> completion);
    /// Every look-up value of every list: GET /lookups/ without a query.
    static Handle getAllLookUps(const Token& token, Completion<std::vector<LookUp>> completion);
    /// The active balance tags of loyalty account 1: GET /loyaltyaccounts/1/tags with
    /// "page_size" 1000 and "active" 1; a plain list.
    static Handle getBalanceTagNames(const Token& token, Completion<std::vector<BalanceTag>> completion);
    /// The active regions of the country named `country`: GET /regions/ with "country__name"
    /// and "active" 1.
    static Handle getRegion(const Token& token, std::string country, Completion<std::vector<Region>> completion);
    /// The active regions of the country with the code `countryCode`: GET
    /// /regions/{countryCode}/ with "active" 1.
    static Handle fetchRegion(const Token& token, std::int64_t countryCode, Completion<std::vector<Region>> completion);
    /// Every country: GET /countries/.
    static Handle getCountries(const Token& token, Completion<std::vector<Country>> completion);
    /// The cities of a region: GET /cities/{regionId}/, with "search" when given. Takes no
    /// token and sends none. Never returns nullptr.
    static Handle getCities(std::int64_t regionId, std::optional<std::string> search,
                            Completion<std::vector<GetCitiesResponse>> completion);
    /// A signed address for uploading the member's image: POST /sign-s3/ with "subfolder"
    /// "members/images/", "file_name" (the member id, "-", six random letters or digits,
    /// ".png"), "file_type" "image/png" and "acl_param" "public-read". Only the `token` argument
    /// counts: without it the completion gets `invalidToken` at once, whatever is stored. A
    /// member id holding "/" or a control character, or "..", cannot name the file:
    /// `requestMapping`, nothing sent.
    static Handle getS3ImageUploadURL(const Token& token, std::string memberID, Completion<S3ImageResponse> completion);
    /// As `getS3ImageUploadURL`, for a receipt image: "subfolder" is "receipts/".
    static Handle getS3ImageUploadReceiptURL(const Token& token, std::string memberID,
                                             Completion<S3ImageResponse> completion);

    // Family groups.

    /// The member's family group in brief: GET /members/family_summary/{memberID}/.
    static Handle getFamilySummary(const Token& token, std::string memberID, Completion<FamilySummary> completion);
    /// The profiles of the member's family group: GET /members/family/{memberID}/; a plain list.
    static Handle getFamilyMembers(const Token& token, std::string memberID,
                                   Completion<std::vector<MemberDetails>> completion);
    /// Invites by e-mail address: POST /members/family/{memberID}/invitations/ with
    /// {"invitee_email"}.
    static Handle createFamilyInvite(const Token& token, std::string memberID, std::string inviteeEmail,
                                     Completion<FamilyInvite> completion);
    /// Invites by mobile number: POST /members/family/{memberID}/invitations/ with
    /// {"invitee_mobile", "invitee_given_name", "family_head_relationship", "inviter_name"}.
    static Handle createFamilyInvite(const Token& token, std::string memberID, std::string inviteeMobile,
                                     std::string inviteeGivenName, std::string familyHeadRelationship,
                                     std::string inviterName, Completion<FamilyInvite> completion);
    /// Invites a minor by e-mail address: POST /members/family/{memberID}/invitations/ with
    /// {"invitee_email", "invitee_is_minor": true, "invitee_dob"}; `inviteeDOB` goes as the
    /// text given.
    static Handle createFamilyInviteByMinor(const Token& token, std::string memberID, std::string inviteeEmail,
                                            std::string inviteeDOB, Completion<FamilyInvite> completion);
    /// Every invitation of the member, or only those it received: GET
    /// /members/family/{memberID}/invitations/, with "type" "received" when `onlyReceived`.
    static Handle getAllFamilyInvites(const Token& token, std::string memberID, bool onlyReceived,
                                      Completion<std::vector<FamilyInvite>> completion);
    /// One invitation: GET /members/family/{memberID}/invitations/{invitationID}/.
    static Handle retreiveFamilyMemberInvite(const Token& token, std::string memberID, std::int64_t invitationID,
                                             Completion<FamilyInvite> completion);
    /// Accepts (`accepted`) or rejects an invitation: POST
    /// /members/family/{memberID}/invitations/{invitationID}/action/ with {"status": "accepted"
    /// or "rejected"}.
    static Handle familyMemberInviteAction(const Token& token, std::string memberID, std::int64_t invitationID,
                                           bool accepted, Completion<FamilyMemberInviteResponse> completion);
    /// Dissolves the member's family group: DELETE /members/family/{memberID}/.
    static Handle deleteFamily(const Token& token, std::string memberID, Completion<void> completion);
    /// Leaves the family group: POST /members/family/{memberID}/leave/ without a body.
    static Handle leaveFamily(const Token& token, std::string memberID, Completion<void> completion);
};

}  // namespace lumeno
