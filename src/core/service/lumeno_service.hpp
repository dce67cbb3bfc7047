#pragma once

// The endpoint cases of the platform's API. Each case is a struct in `lumeno::detail::service`,
// named after the case, whose fields hold the call's values (the member's token last); fields
// that share a type come in the public call's order, so that a call's forwarding reads straight
// across. `LumenoService` holds any one case and `endpoint` turns it into the request to send.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "core/service/http_request.hpp"
#include "lumeno/core/enums.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

namespace service {

// Enrolment, login and member status.

struct GetLoginAttribute { std::string token; };
struct EnrollUser {
    JsonValue enrollRequest;
    EnrollmentType type = EnrollmentType::normal;
    std::optional<std::string> reCaptchaToken;
    std::optional<std::string> reCaptchaSiteKey;
};
/// The one extra attribute a member validation may carry.
struct ValidateMemberAttribute { std::string attributeKey; std::string attributeValue; };
struct ValidateMember { std::string memberID; std::string otp; std::optional<ValidateMemberAttribute> extraData; };
struct SendOtp { std::string loginAttribute; std::string username; std::string token; };
struct GenerateOTP { OTPServiceType service = OTPServiceType::redemption; std::string memberID; std::string token; };
struct ValidateOTP {
    OTPServiceType service = OTPServiceType::redemption;
    std::string memberID;
    std::string otp;
    std::string token;
};
struct SendOtpWithoutToken { std::string loginAttribute; std::string username; };
struct PatchMember { std::string memberID; JsonValue updateRequest; std::string token; };
struct IfMemberExists { std::string loginAttribute; std::string username; };
struct IfPasswordExists { std::string loginAttribute; std::string username; };
struct Login { std::string username; std::string password; };

// Passwords and devices.

struct ChoosePassword { std::string password; std::string token; };
struct ChangePassword { std::string oldPassword; std::string newPassword; std::string token; };
struct ResetPassword {
    JsonObject request;
    std::optional<std::string> reCaptchaToken;
    std::optional<std::string> reCaptchaSiteKey;
};
struct DoResetPassword {
    std::string loginAttribute;
    std::string username;
    std::string password;
    std::string resetKey;
};
struct RegisterDevice { std::string memberID; std::string id; std::string platform; std::string token; };
struct DeleteDevice { std::string id; std::string token; };

// Social sign-in and linking.

struct FacebookLogin { std::string fbID; std::string accessToken; };
struct Linkfacebook { std::string memberID; std::string fbId; std::string accessToken; std::string token; };
/// `token` is the Google identity token, not the member's: the case sends no "Authorization".
struct AuthenticateWithGoogle { std::string id; std::string token; };
struct IfMemberExistsApple { std::string id; };
struct AuthenticateWithApple { JsonValue details; };
struct LinkApple { std::string authorizationCode; std::string token; };
struct LinkGoogle { std::string googleToken; std::string googleId; std::string token; };
struct Delink { std::string type; std::string token; };

// Sponsors and locations.

struct GetSponsor { std::int64_t withID = 0; std::string token; };
struct GetSponsors { JsonObject queryParams; std::string token; };
struct GetTrimmedSponsors { JsonObject queryParams; std::string token; };
struct GetSponsorsFrom { std::string cursor; std::string token; };
struct GetLocationBasedOffers { JsonObject queryParams; std::string token; };
struct VerifyMerchantPin { std::int64_t sponsorID = 0; std::string pin; std::string token; };
struct SponsorBaseRate { std::int64_t sponsorId = 0; std::int64_t loyaltyAccount = 0; std::string token; };
/// `policyType` is the raw value of the policy ("Award", "Reward").
struct SponsorDefaultBaseRate { std::string policyType; std::int64_t loyaltyAccount = 0; std::string token; };

// Offers, bookings and the wish list.

struct GetOffer { std::int64_t withID = 0; std::string token; };
struct GetOffersList { std::int64_t pageSize = 0; std::string token; };
struct GetOffersListForCategory { std::string category; std::int64_t pageSize = 0; std::string token; };
struct GetOffers { JsonObject queryParams; std::string token; };
struct GetOffersFrom { std::string cursor; std::string token; };
struct OfferAcceptReject { bool accept = false; std::int64_t id = 0; std::string token; };
struct RateOffer { std::int64_t id = 0; std::int64_t rating = 0; std::string token; };
struct GetOfferAction { std::int64_t id = 0; std::string token; };
struct GetRecommendedOffers { JsonObject queryParams; std::string id; std::string token; };
struct GetPresentment { std::int64_t forOfferID = 0; std::string token; };
struct CreateBooking {
    std::string memberID;
    BookingStatus status = BookingStatus::booked;
    std::int64_t forOfferID = 0;
    std::string atLocation;
    std::string startTime;
    std::string endTime;
    std::string token;
};
struct GetBookings { std::string memberID; std::int64_t pageSize = 0; std::string token; };
struct UpdateBooking {
    std::int64_t withID = 0;
    BookingStatus status = BookingStatus::booked;
    std::string memberID;
    std::string token;
};
struct AddToWishlist { std::string memberId; std::vector<std::int64_t> offerIds; std::string token; };
struct RemoveFromWishlist { std::string memberId; std::vector<std::int64_t> offerIds; std::string token; };
struct GetWishlist { std::string memberId; std::string token; };
struct GetMemberOffers { std::string memberID; JsonValue request; std::string token; };

// Privileges and cards.

struct GetPromotions { std::string memberID; std::int64_t pageSize = 0; std::string token; };
struct GetPromotionsFrom { std::string cursor; std::string token; };
struct GetCardDetailsUsingMemberID { std::string memberID; std::string token; };
/// `addRequest` is the card record as a map of its properties ("number", "name", "member").
struct AddCard { JsonObject addRequest; std::string token; };
/// `cancelRequest` is the record as a map of its properties ("reason", "comment").
struct CancelCard { std::int64_t id = 0; JsonObject cancelRequest; std::string token; };

// Activity, transfers and receipts.

struct GetTransactions {
    std::string memberID;
    std::string bitCategory;
    std::string bitType;
    std::int64_t pageSize = 0;
    std::string token;
};
struct GetTransactionsForQuery { JsonObject params; std::string token; };
struct GetTransactionsForTimePeriod {
    std::string memberID;
    std::string bitCategory;
    std::string bitType;
    std::int64_t pageSize = 0;
    std::string dateFrom;
    std::string dateTo;
    std::string token;
};
struct GetTransactionsFrom { std::string cursor; std::string token; };
struct GetAccrualDetailsFromBitID { std::int64_t bitId = 0; std::int64_t pageSize = 0; std::string token; };
struct CreateBit { JsonValue request; std::string token; };
struct GetReceipts { JsonObject queryParams; std::string token; };
struct GetAllSponsorConfigs { JsonObject queryParams; std::string token; };
struct UploadReceipt { JsonValue request; std::string token; };

// Member profile and balances.

struct GetMemberDetails { std::string token; };
struct GetMemberDetailsUsingMemberID { std::string memberID; std::string token; };
struct GetMemberBalances { std::string memberID; JsonObject queryParams; std::string token; };
struct GetPointBalance { std::string memberID; std::int64_t accountID = 0; std::string token; };
struct LookupMember { JsonObject params; std::string token; };
struct ReferMembers { JsonValue referRequest; std::string token; };
struct GetMobilePass { std::string memberId; std::string token; };
struct Logout { std::string token; };

// Reference data and uploads.

struct LookUp { std::string type; std::string token; };
struct AllLookUps { std::string token; };
struct GetBalanceTagNames { std::string token; };
/// `fileName` is drawn when the case is built: see `imageFileName`.
struct GetImageUploadURL { std::string memberID; std::string fileName; std::string token; };
/// `fileName` is drawn when the case is built: see `imageFileName`.
struct GetReceiptImageUploadURL { std::string memberID; std::string fileName; std::string token; };
struct GetRegion { std::string country; std::string token; };
struct FetchRegion { std::int64_t countryCode = 0; std::string token; };
struct GetCountries { std::string token; };
struct GetCities { std::int64_t regionId = 0; std::optional<std::string> search; };

// Families.

struct GetFamilySummary { std::string memberID; std::string token; };
struct GetFamilyMembers { std::string memberID; std::string token; };
struct CreateFamilyInvite { JsonObject request; std::string memberID; std::string token; };
struct GetFamilyInvites { std::string memberID; bool onlyReceived = false; std::string token; };
struct RetreiveFamilyMemberInvite { std::string memberID; std::int64_t invitationID = 0; std::string token; };
struct FamilyMemberInviteAction {
    std::string memberID;
    std::int64_t invitationID = 0;
    bool action = false;
    std::string token;
};
struct DeleteFamily { std::string memberID; std::string token; };
struct LeaveFamily { std::string memberID; std::string token; };

/// The file name of an image upload: the member id, "-", six random letters or digits, ".png".
/// Drawn once, when the upload case is built, so that `endpoint` stays a pure function.
std::string imageFileName(std::string_view memberID);

/// A list of case types.
template <class... Cases>
struct CaseList {
    static constexpr std::size_t size = sizeof...(Cases);
    template <std::size_t I>
    using At = std::tuple_element_t<I, std::tuple<Cases...>>;
    template <class Case>
    static constexpr bool contains = (std::is_same_v<Case, Cases> || ...);

    /// Where `Case` stands in the list.
    template <class Case>
    static consteval std::size_t indexOf() {
        const bool same[] = {std::is_same_v<Case, Cases>...};
        std::size_t index = 0;
        while (!same[index]) ++index;
        return index;
    }
};

/// Every endpoint case; a new case joins this list, which the endpoint table test and the
/// endpoint fuzz target walk.
using Cases = CaseList<
    GetLoginAttribute, EnrollUser, ValidateMember, SendOtp, GenerateOTP, ValidateOTP, SendOtpWithoutToken,
    PatchMember, ChoosePassword, ChangePassword, IfMemberExists, IfPasswordExists, ResetPassword, DoResetPassword,
    Login, RegisterDevice, DeleteDevice, FacebookLogin, Linkfacebook, AuthenticateWithGoogle, IfMemberExistsApple,
    AuthenticateWithApple, LinkApple, LinkGoogle, Delink, GetSponsor, GetSponsors, GetTrimmedSponsors,
    GetSponsorsFrom, GetOffer, GetOffersList, GetOffersListForCategory, GetOffers, GetOffersFrom, OfferAcceptReject,
    RateOffer, GetOfferAction, GetRecommendedOffers, GetPresentment, CreateBooking, GetBookings, UpdateBooking,
    GetPromotions, GetPromotionsFrom, GetTransactions, GetTransactionsForQuery, GetTransactionsForTimePeriod,
    GetTransactionsFrom, GetAccrualDetailsFromBitID, GetMemberDetails, GetMemberDetailsUsingMemberID,
    GetMemberBalances, GetPointBalance, GetCardDetailsUsingMemberID, AddCard, CancelCard, LookUp, AllLookUps,
    GetBalanceTagNames, GetImageUploadURL, GetReceiptImageUploadURL, GetRegion, FetchRegion, GetCountries, CreateBit,
    GetFamilySummary, GetFamilyMembers, CreateFamilyInvite, GetFamilyInvites, RetreiveFamilyMemberInvite,
    FamilyMemberInviteAction, DeleteFamily, LeaveFamily, VerifyMerchantPin, GetLocationBasedOffers, AddToWishlist,
    RemoveFromWishlist, GetWishlist, ReferMembers, SponsorBaseRate, SponsorDefaultBaseRate, GetCities, GetReceipts,
    GetAllSponsorConfigs, UploadReceipt, LookupMember, GetMemberOffers, Logout, GetMobilePass>;

}  // namespace service

/// One endpoint case, whichever it is: `LumenoService(service::Login{...})`. It holds the case
/// and its place in `service::Cases`, which tells `endpoint` how to build its request. Copies
/// share the case, which never changes.
class LumenoService {
public:
    template <class Case>
        requires(service::Cases::contains<Case>)
    LumenoService(Case c)
        : index_(service::Cases::indexOf<Case>()), case_(std::make_shared<const Case>(std::move(c))) {}

    /// The case's place in `service::Cases`.
    std::size_t index() const { return index_; }

private:
    friend Result<HttpRequest> endpoint(const LumenoService& service, const LumenoSettings& settings);

    std::size_t index_;
    std::shared_ptr<const void> case_;
};

/// The request of a case: URL (query included), method, headers and JSON body, under
/// `settings`. No I/O. Fails with `requestMapping` when the gateway or cursor text gives no
/// valid URL, or a header value would hold a line break or NUL byte.
Result<HttpRequest> endpoint(const LumenoService& service, const LumenoSettings& settings);

}  // namespace lumeno::detail
