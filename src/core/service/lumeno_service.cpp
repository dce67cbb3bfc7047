#include "core/service/lumeno_service.hpp"

#include <boost/json/serialize.hpp>

#include <algorithm>
#include <array>

#include "lumeno/core/utils.hpp"
#include "core/json/writable.hpp"
#include "core/service/target.hpp"
#include "core/service/url_encoding.hpp"

namespace lumeno::detail {

namespace service {

std::string imageFileName(std::string_view memberID) {
    return std::string(memberID) + '-' + Utils::randomString(6) + ".png";
}

namespace {

using enum HttpMethod;

constexpr std::string_view members = "/members";
constexpr std::string_view sponsors = "/sponsors";
constexpr std::string_view pointConversionRates = "/point-conversion-rates";
constexpr std::string_view cities = "/cities";

// A path is built from pieces: string literals are our own text, its "/" separating segments;
// a `UrlPath` is a path built before; a caller's text or integer is a value, one segment of its
// own whatever it holds.

template <std::size_t N>
void piece(UrlPath& path, const char (&ours)[N]) { path.addOurs(ours); }
void piece(UrlPath& path, const UrlPath& built) { path.add(built); }
void piece(UrlPath& path, const std::string& value) { path.addValue(value); }
void piece(UrlPath& path, std::int64_t value) { path.addValue(value); }

/// A path from literal pieces, paths, texts and integers (in decimal).
template <class... Pieces>
UrlPath path(const Pieces&... pieces) {
    UrlPath built;
    (piece(built, pieces), ...);
    return built;
}

/// The JSON text of a body; a text that is not UTF-8 or a number that is not finite, which
/// JSON cannot carry, refuses it.
template <class Json>
Result<std::string> json(const Json& value) {
    if (const auto fault = json::unwritable(value)) return fail(LumenoError::encodableMapping(std::string(*fault)));
    return boost::json::serialize(value);
}

/// The paging query of the lists read newest first.
JsonObject newestFirst(std::int64_t pageSize) { return {{"page_size", pageSize}, {"ordering", "-created_ts"}}; }

/// One member named by the login attribute, holding the user name.
Result<std::string> loginAttributeBody(const auto& c) { return json(JsonObject{{c.loginAttribute, c.username}}); }

std::string_view orEmpty(const std::optional<std::string>& text) { return text ? std::string_view(*text) : ""; }

Target cursorTarget(const auto& c) { return {.token = c.token, .cursor = c.cursor}; }

Target wishlist(HttpMethod method, const auto& c) {
    JsonArray offerIds;
    for (const auto id : c.offerIds) offerIds.push_back(JsonObject{{"offer_id", id}});
    return {.method = method, .path = path("/members/", c.memberId, "/wishlist/"), .body = json(offerIds),
            .token = c.token};
}

/// Whether a member id can start an upload's file name: a "/" or a ".." would place the upload
/// outside its folder, a control character would break the name.
bool namesAnUpload(std::string_view memberID) {
    return memberID != ".." &&
           std::ranges::none_of(memberID, [](unsigned char c) { return c == '/' || c < 0x20 || c == 0x7F; });
}

Target imageUpload(std::string_view subfolder, const auto& c) {
    if (!namesAnUpload(c.memberID))
        return {.body = fail(LumenoError::requestMapping("member id with a \"/\", \"..\" or control character"))};
    const JsonObject body{{"subfolder", subfolder}, {"file_name", c.fileName}, {"file_type", "image/png"},
                          {"acl_param", "public-read"}};
    return {.method = post, .path = "/sign-s3/", .body = json(body), .token = c.token};
}

std::string_view enrollmentPath(EnrollmentType type) {
    switch (type) {
        case EnrollmentType::normal: return "/";
        case EnrollmentType::facebook: return "/social/facebook/";
        case EnrollmentType::google: return "/social/google/";
        case EnrollmentType::apple: return "/social/apple/";
    }
    return "/";
}

// Enrolment, login and member status.

Target target(const GetLoginAttribute& c) { return {.path = "/login-attributes/", .token = c.token}; }
Target target(const EnrollUser& c) {
    return {.method = post, .segment = members, .path = std::string(enrollmentPath(c.type)),
            .body = json(c.enrollRequest), .reCaptchaToken = orEmpty(c.reCaptchaToken),
            .reCaptchaSiteKey = orEmpty(c.reCaptchaSiteKey), .signup = c.type == EnrollmentType::normal};
}
Target target(const ValidateMember& c) {
    JsonObject body{{"otp", c.otp}};
    // `emplace` adds the attribute beside the code: one named "otp" cannot replace it.
    if (c.extraData) body.emplace(c.extraData->attributeKey, c.extraData->attributeValue);
    return {.method = post, .segment = members, .path = path("/validate/", c.memberID, "/"), .body = json(body)};
}
Target target(const SendOtp& c) {
    return {.method = post, .segment = members, .path = "/send-otp/", .body = loginAttributeBody(c), .token = c.token};
}
Target target(const GenerateOTP& c) {
    const JsonObject body{{"action", "GENERATE"}, {"service", rawValue(c.service)}};
    return {.method = post, .segment = members, .path = path("/", c.memberID, "/otp/"), .body = json(body),
            .token = c.token};
}
Target target(const ValidateOTP& c) {
    const JsonObject body{
        {"member_id", c.memberID}, {"action", "VALIDATE"}, {"otp", c.otp}, {"service", rawValue(c.service)}};
    return {.method = post, .segment = members, .path = path("/", c.memberID, "/otp/"), .body = json(body),
            .token = c.token};
}
Target target(const SendOtpWithoutToken& c) {
    return {.method = post, .segment = members, .path = "/send-otp/", .body = loginAttributeBody(c)};
}
Target target(const PatchMember& c) {
    return {.method = patch, .segment = members, .path = path("/update/", c.memberID, "/"),
            .body = json(c.updateRequest), .token = c.token};
}
Target target(const IfMemberExists& c) {
    return {.method = post, .segment = members, .path = "/exists/", .body = loginAttributeBody(c)};
}
Target target(const IfPasswordExists& c) {
    return {.method = post, .segment = members, .path = "/password-exists/", .body = loginAttributeBody(c)};
}
Target target(const Login& c) {
    const JsonObject body{{"username", c.username}, {"password", c.password}};
    return {.method = post, .segment = members, .path = "/login/", .body = json(body)};
}

// Passwords and devices.

Target target(const ChoosePassword& c, const LumenoSettings& settings) {
    return {.method = post, .path = settings.choosePasswordEndpoint,
            .body = json(JsonObject{{"password", c.password}}), .token = c.token};
}
Target target(const ChangePassword& c, const LumenoSettings& settings) {
    const JsonObject body{{"current_password", c.oldPassword}, {"password", c.newPassword}};
    return {.method = put, .path = settings.changePasswordEndpoint, .body = json(body), .token = c.token};
}
Target target(const ResetPassword& c, const LumenoSettings& settings) {
    return {.method = post, .path = settings.resetPasswordEndpoint, .body = json(c.request),
            .reCaptchaToken = orEmpty(c.reCaptchaToken), .reCaptchaSiteKey = orEmpty(c.reCaptchaSiteKey)};
}
Target target(const DoResetPassword& c, const LumenoSettings& settings) {
    // The fixed keys are written last: a login attribute named "new_password" or "reset_key"
    // cannot replace them.
    JsonObject body{{c.loginAttribute, c.username}};
    body["new_password"] = c.password;
    body["reset_key"] = c.resetKey;
    return {.method = post, .path = settings.doResetPasswordEndpoint, .body = json(body)};
}
Target target(const RegisterDevice& c) {
    const JsonObject body{{"member", c.memberID}, {"device", c.id}, {"platform", c.platform}};
    return {.method = post, .segment = members, .path = "/devices/", .body = json(body), .token = c.token};
}
Target target(const DeleteDevice& c) {
    return {.method = del, .segment = members, .path = "/devices/", .body = json(JsonObject{{"device", c.id}}),
            .token = c.token};
}

// Social sign-in and linking.

Target target(const FacebookLogin& c) {
    const JsonObject body{{"facebook_id", c.fbID}, {"access_token", c.accessToken}};
    return {.method = post, .segment = members, .path = "/social/facebook/login/", .body = json(body)};
}
Target target(const Linkfacebook& c) {
    const JsonObject body{{"facebook_id", c.fbId}, {"access_token", c.accessToken}, {"member_id", c.memberID}};
    return {.method = post, .segment = members, .path = "/social/facebook/link/", .body = json(body),
            .token = c.token};
}
Target target(const AuthenticateWithGoogle& c) {
    const JsonObject body{{"google_id", c.id}, {"id_token", c.token}};
    return {.method = post, .segment = members, .path = "/social/google/login/", .body = json(body)};
}
Target target(const IfMemberExistsApple& c) {
    return {.method = post, .segment = members, .path = "/apple-exists/",
            .body = json(JsonObject{{"apple_uid", c.id}})};
}
Target target(const AuthenticateWithApple& c) {
    return {.method = post, .segment = members, .path = "/social/apple/login/", .body = json(c.details)};
}
Target target(const LinkApple& c) {
    return {.method = post, .segment = members, .path = "/social/apple/link/",
            .body = json(JsonObject{{"code", c.authorizationCode}}), .token = c.token};
}
Target target(const LinkGoogle& c) {
    const JsonObject body{{"id_token", c.googleToken}, {"google_id", c.googleId}};
    return {.method = post, .segment = members, .path = "/social/google/link/", .body = json(body),
            .token = c.token};
}
Target target(const Delink& c) {
    return {.method = post, .segment = members, .path = path("/social/", c.type, "/delink/"), .token = c.token};
}

// Sponsors and locations.

Target target(const GetSponsor& c) { return {.path = path("/sponsors/", c.withID, "/"), .token = c.token}; }
Target target(const GetSponsors& c) {
    return {.path = "/sponsors/", .query = urlQuery(c.queryParams), .token = c.token};
}
Target target(const GetTrimmedSponsors& c) {
    return {.path = "/trim/sponsors", .query = urlQuery(c.queryParams), .token = c.token};
}
Target target(const GetSponsorsFrom& c) { return cursorTarget(c); }
Target target(const GetLocationBasedOffers& c) {
    return {.path = "/locations/", .query = urlQuery(c.queryParams), .token = c.token};
}
Target target(const VerifyMerchantPin& c) {
    return {.method = post, .path = path("sponsors/", c.sponsorID, "/pin/"), .body = json(JsonObject{{"pin", c.pin}}),
            .token = c.token};
}
Target target(const SponsorBaseRate& c) {
    return {.segment = sponsors, .path = path("/", c.sponsorId, "/base-rates/"),
            .query = urlQuery({{"loyalty_account", c.loyaltyAccount}}), .token = c.token};
}
Target target(const SponsorDefaultBaseRate& c) {
    const JsonObject query{{"loyalty_account_id", c.loyaltyAccount}, {"policy_type", c.policyType}};
    return {.segment = pointConversionRates, .path = "/list/", .query = urlQuery(query), .token = c.token};
}

// Offers, bookings and the wish list.

Target target(const GetOffer& c) { return {.path = path("/offers/", c.withID, "/"), .token = c.token}; }
Target target(const GetOffersList& c) {
    return {.path = "/offers/", .query = urlQuery(newestFirst(c.pageSize)), .token = c.token};
}
Target target(const GetOffersListForCategory& c) {
    auto query = newestFirst(c.pageSize);
    query["category"] = c.category;
    return {.path = "/offers/", .query = urlQuery(query), .token = c.token};
}
Target target(const GetOffers& c) { return {.path = "/offers/", .query = urlQuery(c.queryParams), .token = c.token}; }
Target target(const GetOffersFrom& c) { return cursorTarget(c); }
Target target(const OfferAcceptReject& c) {
    return {.method = post, .path = path("/offers/", c.id, "/acceptances/"),
            .body = json(JsonObject{{"accepted", c.accept}}), .token = c.token};
}
Target target(const RateOffer& c) {
    return {.method = post, .path = path("/offers/", c.id, "/ratings/"),
            .body = json(JsonObject{{"rating", std::to_string(c.rating)}}), .token = c.token};
}
Target target(const GetOfferAction& c) { return {.path = path("/offers/", c.id, "/actions/"), .token = c.token}; }
Target target(const GetRecommendedOffers& c) {
    return {.segment = members, .path = path("/", c.id, "/offer-recommendations/"), .query = urlQuery(c.queryParams),
            .token = c.token};
}
Target target(const GetPresentment& c) {
    return {.path = path("/offers/", c.forOfferID, "/offerpresentment/"), .token = c.token};
}
Target target(const CreateBooking& c) {
    const JsonObject body{{"status", rawValue(c.status)}, {"offer", c.forOfferID}, {"location_code", c.atLocation},
                          {"booking_start_datetime", c.startTime}, {"booking_end_datetime", c.endTime}};
    return {.method = post, .path = path("/offer-bookings/", c.memberID, "/"), .body = json(body), .token = c.token};
}
Target target(const GetBookings& c) {
    return {.path = path("/offer-bookings/", c.memberID, "/"), .query = urlQuery(newestFirst(c.pageSize)),
            .token = c.token};
}
Target target(const UpdateBooking& c) {
    return {.method = patch, .path = path("/offer-bookings/", c.memberID, "/", c.withID, "/"),
            .body = json(JsonObject{{"status", rawValue(c.status)}}), .token = c.token};
}
Target target(const AddToWishlist& c) { return wishlist(post, c); }
Target target(const RemoveFromWishlist& c) { return wishlist(del, c); }
Target target(const GetWishlist& c) {
    return {.path = path("/members/", c.memberId, "/wishlist/"), .query = urlQuery({{"expired", "true"}}),
            .token = c.token};
}
Target target(const GetMemberOffers& c) {
    return {.method = post, .segment = members, .path = path(c.memberID, "/member-offers/"), .body = json(c.request),
            .token = c.token};
}

// Privileges and cards.

Target target(const GetPromotions& c) {
    return {.segment = members, .path = path("/privileges/", c.memberID, "/"),
            .query = urlQuery(newestFirst(c.pageSize)), .token = c.token};
}
Target target(const GetPromotionsFrom& c) { return cursorTarget(c); }
Target target(const GetCardDetailsUsingMemberID& c, const LumenoSettings& settings) {
    auto query = newestFirst(settings.defaultPageLimit);
    query["member_id"] = c.memberID;
    return {.path = "/cards/", .query = urlQuery(query), .token = c.token};
}
Target target(const AddCard& c) {
    return {.method = post, .path = "/cards/", .body = json(c.addRequest), .token = c.token};
}
Target target(const CancelCard& c) {
    return {.method = post, .path = path("/cards/", c.id, "/deactivate/"), .body = json(c.cancelRequest),
            .token = c.token};
}

// Activity, transfers and receipts.

JsonObject transactionsQuery(const auto& c) {
    auto query = newestFirst(c.pageSize);
    query["member_id"] = c.memberID;
    query["bit_category"] = c.bitCategory;
    query["h_bit_type"] = c.bitType;
    return query;
}

Target target(const GetTransactions& c) {
    return {.path = "/bits/", .query = urlQuery(transactionsQuery(c)), .token = c.token};
}
Target target(const GetTransactionsForQuery& c) {
    return {.path = "/bits/", .query = urlQuery(c.params), .token = c.token};
}
Target target(const GetTransactionsForTimePeriod& c) {
    auto query = transactionsQuery(c);
    query["date_from"] = c.dateFrom;
    query["date_to"] = c.dateTo;
    return {.path = "/bits/", .query = urlQuery(query), .token = c.token};
}
Target target(const GetTransactionsFrom& c) { return cursorTarget(c); }
Target target(const GetAccrualDetailsFromBitID& c) {
    return {.path = path("/bits/", c.bitId, "/accruals/"), .query = urlQuery({{"page_size", c.pageSize}}),
            .token = c.token};
}
Target target(const CreateBit& c) {
    return {.method = post, .path = "/bit/", .body = json(c.request), .token = c.token};
}
Target target(const GetReceipts& c) {
    return {.path = "/receipts/", .query = urlQuery(c.queryParams), .token = c.token};
}
Target target(const GetAllSponsorConfigs& c) {
    return {.path = "/receipts/config/", .query = urlQuery(c.queryParams), .token = c.token};
}
Target target(const UploadReceipt& c) {
    return {.method = post, .path = "/receipts/", .body = json(c.request), .token = c.token};
}

// Member profile and balances.

Target target(const GetMemberDetails& c) { return {.segment = members, .path = "/details/", .token = c.token}; }
Target target(const GetMemberDetailsUsingMemberID& c) {
    return {.segment = members, .path = path("/data/", c.memberID, "/"), .token = c.token};
}
Target target(const GetMemberBalances& c) {
    return {.segment = members, .path = path("/", c.memberID, "/balances/"), .query = urlQuery(c.queryParams),
            .token = c.token};
}
Target target(const GetPointBalance& c) {
    return {.segment = members, .path = path("/", c.memberID, "/loyaltyaccount/", c.accountID, "/"),
            .token = c.token};
}
Target target(const LookupMember& c) {
    return {.segment = members, .path = "/lookup/", .query = urlQuery(c.params), .token = c.token};
}
Target target(const ReferMembers& c) {
    return {.method = post, .segment = members, .path = "/referral/", .body = json(c.referRequest), .token = c.token};
}
Target target(const GetMobilePass& c) {
    return {.segment = members, .path = path("/", c.memberId, "/passes"), .token = c.token};
}
Target target(const Logout& c) { return {.method = post, .path = "/logout/", .token = c.token}; }

// Reference data and uploads.

Target target(const LookUp& c) {
    return {.path = "/lookups/", .query = urlQuery({{"type", c.type}, {"active", true}}), .token = c.token};
}
Target target(const AllLookUps& c) { return {.path = "/lookups/", .token = c.token}; }
Target target(const GetBalanceTagNames& c) {
    return {.path = "/loyaltyaccounts/1/tags", .query = urlQuery({{"page_size", 1000}, {"active", true}}),
            .token = c.token};
}
Target target(const GetImageUploadURL& c) { return imageUpload("members/images/", c); }
Target target(const GetReceiptImageUploadURL& c) { return imageUpload("receipts/", c); }
Target target(const GetRegion& c) {
    return {.path = "/regions/", .query = urlQuery({{"country__name", c.country}, {"active", true}}), .token = c.token};
}
Target target(const FetchRegion& c) {
    return {.path = path("/regions/", c.countryCode, "/"), .query = urlQuery({{"active", true}}), .token = c.token};
}
Target target(const GetCountries& c) { return {.path = "/countries/", .token = c.token}; }
Target target(const GetCities& c) {
    return {.segment = cities, .path = path("/", c.regionId, "/"),
            .query = c.search ? urlQuery({{"search", *c.search}}) : ""};
}

// Families.

UrlPath familyPath(const auto& c, const UrlPath& rest) { return path("/family/", c.memberID, "/", rest); }

Target target(const GetFamilySummary& c) {
    return {.segment = members, .path = path("/family_summary/", c.memberID, "/"), .token = c.token};
}
Target target(const GetFamilyMembers& c) { return {.segment = members, .path = familyPath(c, ""), .token = c.token}; }
Target target(const CreateFamilyInvite& c) {
    return {.method = post, .segment = members, .path = familyPath(c, "invitations/"), .body = json(c.request),
            .token = c.token};
}
Target target(const GetFamilyInvites& c) {
    return {.segment = members, .path = familyPath(c, "invitations/"),
            .query = c.onlyReceived ? urlQuery({{"type", "received"}}) : "", .token = c.token};
}
Target target(const RetreiveFamilyMemberInvite& c) {
    return {.segment = members, .path = familyPath(c, path("invitations/", c.invitationID, "/")), .token = c.token};
}
Target target(const FamilyMemberInviteAction& c) {
    return {.method = post, .segment = members, .path = familyPath(c, path("invitations/", c.invitationID, "/action/")),
            .body = json(JsonObject{{"status", c.action ? "accepted" : "rejected"}}), .token = c.token};
}
Target target(const DeleteFamily& c) {
    return {.method = del, .segment = members, .path = familyPath(c, ""), .token = c.token};
}
Target target(const LeaveFamily& c) {
    return {.method = post, .segment = members, .path = familyPath(c, "leave/"), .token = c.token};
}

/// The request of one kind of case; the few cases whose target depends on a setting take the
/// settings too.
template <class Case>
Result<HttpRequest> build(const void* c, const LumenoSettings& settings) {
    const Case& typed = *static_cast<const Case*>(c);
    if constexpr (requires { target(typed, settings); })
        return makeRequest(target(typed, settings), settings);
    else
        return makeRequest(target(typed), settings);
}

using Build = Result<HttpRequest> (*)(const void*, const LumenoSettings&);

/// How each case of the list is built, in the list's order.
template <class... Kinds>
constexpr std::array<Build, sizeof...(Kinds)> buildersOf(CaseList<Kinds...>) {
    return {&build<Kinds>...};
}

constexpr auto builders = buildersOf(Cases());

}  // namespace

}  // namespace service

Result<HttpRequest> endpoint(const LumenoService& service, const LumenoSettings& settings) {
    return service::builders[service.index_](service.case_.get(), settings);
}

}  // namespace lumeno::detail
