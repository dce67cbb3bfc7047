#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "core/service/lumeno_service.hpp"
#include "lumeno/core/lumeno.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using namespace lumeno::detail::service;
using enum HttpMethod;

namespace {

const std::string G = "https://api.example.com/v1";
const std::string M = G + "/members";
const char* const A = "JWT tok";
const char* const cursor = "https://api.example.com/v1/offers/?cursor=cD0y&page_size=10";

struct Settings {
    std::string tenant = G;
    bool reCaptcha = false;
    bool v2 = false;
};

struct Row {
    LumenoService service;
    HttpMethod method = get;
    std::string url{};
    const char* body = nullptr;           // JSON; null: no body
    const char* authorization = nullptr;  // null: no "Authorization"
    Settings settings{};
    bool reCaptchaHeaders = false;        // "Recaptcha-Token: rt", "Recaptcha-SiteKey: sk"
};

using Fields = std::vector<HttpHeaders::Field>;

Fields sorted(Fields fields) {
    std::ranges::sort(fields);
    return fields;
}

class Endpoint : public testing::Test {
protected:
    void SetUp() override {
        auto& lumeno = Lumeno::shared();
        lumeno.apiKey = "key-1";
        lumeno.tokenType = "JWT";
        lumeno.defaultPageLimit = 50;
        lumeno.choosePasswordEndpoint = "/pw/choose/";
        lumeno.changePasswordEndpoint = "/pw/change/";
        lumeno.resetPasswordEndpoint = "/pw/reset/";
        lumeno.doResetPasswordEndpoint = "/pw/do-reset/";
    }
    void TearDown() override { Lumeno::shared() = saved_; }

    static void apply(const Settings& settings) {
        Lumeno::shared().tenant = settings.tenant;
        Lumeno::shared().isReCaptchaEnabled = settings.reCaptcha;
        Lumeno::shared().usev2Signup = settings.v2;
    }

private:
    Lumeno saved_ = Lumeno::shared();
};

JsonObject queryMix() {
    return {{"z", "a b&c=d?/é+"}, {"a", true}, {"m", 1.5}, {"n", JsonArray{1, "x"}},
            {"o", JsonObject{{"y", false}, {"b", -3}}}, {"nil", nullptr}, {"k[]", "v"}};
}

}  // namespace

TEST_F(Endpoint, BuildsEveryCase) {
    const JsonValue member{{"email", "e@x"}};
    const Row rows[] = {
        // Enrolment, login and member status.
        {GetLoginAttribute{"tok"}, get, G + "/login-attributes/", nullptr, A},
        {EnrollUser{member, EnrollmentType::normal, "rt", "sk"}, post, M + "/", R"({"email":"e@x"})"},
        {EnrollUser{member, EnrollmentType::normal, {}, {}}, post, "https://api.example.com/v2/members/",
         R"({"email":"e@x"})", nullptr, {.v2 = true}},
        {EnrollUser{member, EnrollmentType::normal, {}, {}}, post, "https://v1.example.com/v2/members/",
         R"({"email":"e@x"})", nullptr, {.tenant = "https://v1.example.com/v1/", .v2 = true}},
        {EnrollUser{member, EnrollmentType::normal, {}, {}}, post, "https://api.example.com/v10/members/",
         R"({"email":"e@x"})", nullptr, {.tenant = "https://api.example.com/v10", .v2 = true}},
        {EnrollUser{member, EnrollmentType::facebook, {}, {}}, post, M + "/social/facebook/", R"({"email":"e@x"})",
         nullptr, {.v2 = true}},
        {EnrollUser{member, EnrollmentType::google, {}, {}}, post, M + "/social/google/", R"({"email":"e@x"})"},
        {EnrollUser{member, EnrollmentType::apple, "rt", "sk"}, post, M + "/social/apple/", R"({"email":"e@x"})",
         nullptr, {.reCaptcha = true}, true},
        {EnrollUser{member, EnrollmentType::normal, "rt", ""}, post, M + "/", R"({"email":"e@x"})", nullptr,
         {.reCaptcha = true}},
        {ValidateMember{"m1", ValidateMemberAttribute{"email", "e@x"}, "123"}, post, M + "/validate/m1/",
         R"({"otp":"123","email":"e@x"})"},
        {ValidateMember{"m1", {}, "123"}, post, M + "/validate/m1/", R"({"otp":"123"})"},
        {SendOtp{"email", "e@x", "tok"}, post, M + "/send-otp/", R"({"email":"e@x"})", A},
        {GenerateOTP{OTPServiceType::signIn, "m1", "tok"}, post, M + "/m1/otp/",
         R"({"action":"GENERATE","service":"SIGN_IN_OTP"})", A},
        {ValidateOTP{OTPServiceType::deleteAccount, "m1", "9", "tok"}, post, M + "/m1/otp/",
         R"({"member_id":"m1","action":"VALIDATE","otp":"9","service":"ACCOUNT_DELETION"})", A},
        {SendOtpWithoutToken{"mobile", "+1"}, post, M + "/send-otp/", R"({"mobile":"+1"})"},
        {PatchMember{"m1", {{"opt_in", true}, {"flag", "True"}}, "tok"}, patch, M + "/update/m1/",
         R"({"opt_in":true,"flag":"True"})", A},
        {IfMemberExists{"email", "e@x"}, post, M + "/exists/", R"({"email":"e@x"})"},
        {IfPasswordExists{"email", "e@x"}, post, M + "/password-exists/", R"({"email":"e@x"})"},
        {Login{"u", "p"}, post, M + "/login/", R"({"username":"u","password":"p"})"},
        {Login{"u", "p"}, post, M + "/login/", R"({"username":"u","password":"p"})", nullptr, {.tenant = G + "/"}},
        // Passwords and devices.
        {ChoosePassword{"pw", "otp"}, post, G + "/pw/choose/", R"({"password":"pw"})", "JWT otp"},
        {ChangePassword{"old", "new", "tok"}, put, G + "/pw/change/", R"({"current_password":"old","password":"new"})",
         A},
        {ResetPassword{{{"email", "e@x"}}, "rt", "sk"}, post, G + "/pw/reset/", R"({"email":"e@x"})", nullptr,
         {.reCaptcha = true}, true},
        {ResetPassword{{{"email", "e@x"}}, {}, "sk"}, post, G + "/pw/reset/", R"({"email":"e@x"})", nullptr,
         {.reCaptcha = true}},
        {DoResetPassword{"email", "e@x", "pw", "rk"}, post, G + "/pw/do-reset/",
         R"({"email":"e@x","new_password":"pw","reset_key":"rk"})"},
        {RegisterDevice{"d1", "ios", "m1", "tok"}, post, M + "/devices/",
         R"({"member":"m1","device":"d1","platform":"ios"})", A},
        {DeleteDevice{"d1", "tok"}, del, M + "/devices/", R"({"device":"d1"})", A},
        // Social sign-in and linking.
        {FacebookLogin{"fb", "at"}, post, M + "/social/facebook/login/", R"({"facebook_id":"fb","access_token":"at"})"},
        {Linkfacebook{"fb", "at", "m1", "tok"}, post, M + "/social/facebook/link/",
         R"({"facebook_id":"fb","access_token":"at","member_id":"m1"})", A},
        {AuthenticateWithGoogle{"g1", "idt"}, post, M + "/social/google/login/",
         R"({"google_id":"g1","id_token":"idt"})"},
        {IfMemberExistsApple{"a1"}, post, M + "/apple-exists/", R"({"apple_uid":"a1"})"},
        {AuthenticateWithApple{{{"code", "c"}}}, post, M + "/social/apple/login/", R"({"code":"c"})"},
        {LinkApple{"c1", "tok"}, post, M + "/social/apple/link/", R"({"code":"c1"})", A},
        {LinkGoogle{"gt", "gid", "tok"}, post, M + "/social/google/link/", R"({"id_token":"gt","google_id":"gid"})", A},
        {Delink{"facebook", "tok"}, post, M + "/social/facebook/delink/", nullptr, A},
        // Sponsors and locations.
        {GetSponsor{7, "tok"}, get, G + "/sponsors/7/", nullptr, A},
        {GetSponsors{{{"page_size", 20}, {"name", "Café Bar"}}, "tok"}, get,
         G + "/sponsors/?name=Caf%C3%A9%20Bar&page_size=20", nullptr, A},
        {GetTrimmedSponsors{{{"page_size", 5}}, "tok"}, get, G + "/trim/sponsors?page_size=5", nullptr, A},
        {GetSponsorsFrom{cursor, "tok"}, get, cursor, nullptr, A},
        {GetLocationBasedOffers{JsonObject{{"sponsor_id", 7}, {"limit", 10}}, "tok"}, get,
         G + "/locations/?limit=10&sponsor_id=7", nullptr, A},
        {GetLocationBasedOffers{std::nullopt, "tok"}, get, G + "/locations/", nullptr, A},
        {VerifyMerchantPin{7, "1234", "tok"}, post, G + "/sponsors/7/pin/", R"({"pin":"1234"})", A},
        {VerifyMerchantPin{7, "1234", "tok"}, post, G + "/sponsors/7/pin/", R"({"pin":"1234"})", A,
         {.tenant = G + "/"}},
        {SponsorBaseRate{7, 3, "tok"}, get, G + "/sponsors/7/base-rates/?loyalty_account=3", nullptr, A},
        {SponsorDefaultBaseRate{"Award", 3, "tok"}, get,
         G + "/point-conversion-rates/list/?loyalty_account_id=3&policy_type=Award", nullptr, A},
        // Offers, bookings and the wish list.
        {GetOffer{12, "tok"}, get, G + "/offers/12/", nullptr, A},
        {GetOffersList{10, "tok"}, get, G + "/offers/?ordering=-created_ts&page_size=10", nullptr, A},
        {GetOffersListForCategory{"food & drink", 10, "tok"}, get,
         G + "/offers/?category=food%20%26%20drink&ordering=-created_ts&page_size=10", nullptr, A},
        {GetOffers{queryMix(), "tok"}, get,
         G + "/offers/?a=1&k%5B%5D=v&m=1.5&n%5B%5D=1&n%5B%5D=x&o%5Bb%5D=-3&o%5By%5D=0&z=a%20b%26c%3Dd?/%C3%A9%2B",
         nullptr, A},
        {GetOffers{{}, "tok"}, get, G + "/offers/", nullptr, A},
        {GetOffersFrom{cursor, "tok"}, get, cursor, nullptr, A},
        {OfferAcceptReject{true, 12, "tok"}, post, G + "/offers/12/acceptances/", R"({"accepted":true})", A},
        {RateOffer{4, 12, "tok"}, post, G + "/offers/12/ratings/", R"({"rating":"4"})", A},
        {GetOfferAction{12, "tok"}, get, G + "/offers/12/actions/", nullptr, A},
        {GetRecommendedOffers{{{"count", 3}}, "m1", "tok"}, get, M + "/m1/offer-recommendations/?count=3", nullptr, A},
        {GetPresentment{12, "tok"}, get, G + "/offers/12/offerpresentment/", nullptr, A},
        {CreateBooking{BookingStatus::awaiting, 12, "m1", "L1", "s", "e", "tok"}, post, G + "/offer-bookings/m1/",
         R"({"status":"AWAITING_CONFIRMATION","offer":12,"location_code":"L1",
             "booking_start_datetime":"s","booking_end_datetime":"e"})", A},
        {GetBookings{"m1", 5, "tok"}, get, G + "/offer-bookings/m1/?ordering=-created_ts&page_size=5", nullptr, A},
        {UpdateBooking{3, BookingStatus::cancelled, "m1", "tok"}, patch, G + "/offer-bookings/m1/3/",
         R"({"status":"CANCELLED"})", A},
        {AddToWishlist{"m1", {12, 15}, "tok"}, post, G + "/members/m1/wishlist/",
         R"([{"offer_id":12},{"offer_id":15}])", A},
        {RemoveFromWishlist{"m1", {12}, "tok"}, del, G + "/members/m1/wishlist/", R"([{"offer_id":12}])", A},
        {GetWishlist{"m1", "tok"}, get, G + "/members/m1/wishlist/?expired=true", nullptr, A},
        {GetMemberOffers{"m1", {{"ids", JsonArray{1}}}, "tok"}, post, M + "/m1/member-offers/", R"({"ids":[1]})", A},
        // Privileges and cards.
        {GetPromotions{"m1", 5, "tok"}, get, M + "/privileges/m1/?ordering=-created_ts&page_size=5", nullptr, A},
        {GetPromotionsFrom{cursor, "tok"}, get, cursor, nullptr, A},
        {GetCardDetailsUsingMemberID{"m1", "tok"}, get, G + "/cards/?member_id=m1&ordering=-created_ts&page_size=50",
         nullptr, A},
        {AddCard{{{"number", "123"}, {"name", "Main"}, {"member", "m1"}}, "tok"}, post, G + "/cards/",
         R"({"number":"123","name":"Main","member":"m1"})", A},
        {CancelCard{4, {{"reason", "lost"}, {"comment", "gone"}}, "tok"}, post, G + "/cards/4/deactivate/",
         R"({"reason":"lost","comment":"gone"})", A},
        // Activity, transfers and receipts.
        {GetTransactions{"m1", "cat", "type", 5, "tok"}, get,
         G + "/bits/?bit_category=cat&h_bit_type=type&member_id=m1&ordering=-created_ts&page_size=5", nullptr, A},
        {GetTransactionsForQuery{{{"member_id", "m1"}, {"page_size", 5}}, "tok"}, get,
         G + "/bits/?member_id=m1&page_size=5", nullptr, A},
        {GetTransactionsForTimePeriod{"m1", "cat", "type", 5, "2024-01-01", "2024-02-01", "tok"}, get,
         G + "/bits/?bit_category=cat&date_from=2024-01-01&date_to=2024-02-01&h_bit_type=type&member_id=m1"
             "&ordering=-created_ts&page_size=5",
         nullptr, A},
        {GetTransactionsFrom{cursor, "tok"}, get, cursor, nullptr, A},
        {GetAccrualDetailsFromBitID{9, 5, "tok"}, get, G + "/bits/9/accruals/?page_size=5", nullptr, A},
        {CreateBit{{{"amount", 12.5}}, "tok"}, post, G + "/bit/", R"({"amount":12.5})", A},
        {GetReceipts{{{"status", "open"}}, "tok"}, get, G + "/receipts/?status=open", nullptr, A},
        {GetAllSponsorConfigs{{{"sponsor", 7}}, "tok"}, get, G + "/receipts/config/?sponsor=7", nullptr, A},
        {UploadReceipt{{{"image", "u"}}, "tok"}, post, G + "/receipts/", R"({"image":"u"})", A},
        // Member profile and balances.
        {GetMemberDetails{"tok"}, get, M + "/details/", nullptr, A},
        {GetMemberDetails{""}, get, M + "/details/"},
        {GetMemberDetailsUsingMemberID{"m1", "tok"}, get, M + "/data/m1/", nullptr, A},
        {GetMemberDetailsUsingMemberID{"a b?c#d/é%", "tok"}, get, M + "/data/a%20b%3Fc%23d/%C3%A9%25/", nullptr, A},
        {GetMemberBalances{"m1", {{"tags", "gold"}}, "tok"}, get, M + "/m1/balances/?tags=gold", nullptr, A},
        {GetPointBalance{"m1", 12, "tok"}, get, M + "/m1/loyaltyaccount/12/", nullptr, A},
        {LookupMember{{{"email", "e@x"}}, "tok"}, get, M + "/lookup/?email=e%40x", nullptr, A},
        {ReferMembers{{{"emails", JsonArray{"a@x"}}}, "tok"}, post, M + "/referral/", R"({"emails":["a@x"]})", A},
        {GetMobilePass{"m1", "tok"}, get, M + "/m1/passes", nullptr, A},
        {Logout{"tok"}, post, G + "/logout/", nullptr, A},
        // Reference data and uploads.
        {LookUp{"gender", "tok"}, get, G + "/lookups/?active=1&type=gender", nullptr, A},
        {AllLookUps{"tok"}, get, G + "/lookups/", nullptr, A},
        {GetBalanceTagNames{"tok"}, get, G + "/loyaltyaccounts/1/tags?active=1&page_size=1000", nullptr, A},
        {GetImageUploadURL{"m1", "m1-abc123.png", "tok"}, post, G + "/sign-s3/",
         R"({"subfolder":"members/images/","file_name":"m1-abc123.png","file_type":"image/png",
             "acl_param":"public-read"})", A},
        {GetReceiptImageUploadURL{"m1", "m1-abc123.png", "tok"}, post, G + "/sign-s3/",
         R"({"subfolder":"receipts/","file_name":"m1-abc123.png","file_type":"image/png","acl_param":"public-read"})",
         A},
        {GetRegion{"United States", "tok"}, get, G + "/regions/?active=1&country__name=United%20States", nullptr, A},
        {FetchRegion{840, "tok"}, get, G + "/regions/840/?active=1", nullptr, A},
        {GetCountries{"tok"}, get, G + "/countries/", nullptr, A},
        {GetCities{4, "San José"}, get, G + "/cities/4/?search=San%20Jos%C3%A9"},
        {GetCities{4, std::nullopt}, get, G + "/cities/4/"},
        // Families.
        {GetFamilySummary{"m1", "tok"}, get, M + "/family_summary/m1/", nullptr, A},
        {GetFamilyMembers{"m1", "tok"}, get, M + "/family/m1/", nullptr, A},
        {CreateFamilyInvite{{{"invitee_email", "e@x"}, {"invitee_is_minor", true}}, "m1", "tok"}, post,
         M + "/family/m1/invitations/", R"({"invitee_email":"e@x","invitee_is_minor":true})", A},
        {GetFamilyInvites{"m1", true, "tok"}, get, M + "/family/m1/invitations/?type=received", nullptr, A},
        {GetFamilyInvites{"m1", false, "tok"}, get, M + "/family/m1/invitations/", nullptr, A},
        {RetreiveFamilyMemberInvite{"m1", 5, "tok"}, get, M + "/family/m1/invitations/5/", nullptr, A},
        {FamilyMemberInviteAction{"m1", 5, true, "tok"}, post, M + "/family/m1/invitations/5/action/",
         R"({"status":"accepted"})", A},
        {FamilyMemberInviteAction{"m1", 5, false, "tok"}, post, M + "/family/m1/invitations/5/action/",
         R"({"status":"rejected"})", A},
        {DeleteFamily{"m1", "tok"}, del, M + "/family/m1/", nullptr, A},
        {LeaveFamily{"m1", "tok"}, post, M + "/family/m1/leave/", nullptr, A},
    };

    std::vector<bool> covered(std::variant_size_v<LumenoService>);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        covered[row.service.index()] = true;
        apply(row.settings);
        const auto request = endpoint(row.service);
        ASSERT_TRUE(request.has_value()) << request.error().detail();
        EXPECT_EQ(request->method, row.method);
        EXPECT_EQ(request->url, row.url);
        Fields expected{{"x-api-key", "key-1"}};
        if (row.authorization) expected.emplace_back("Authorization", row.authorization);
        if (row.reCaptchaHeaders)
            expected.insert(expected.end(), {{"Recaptcha-Token", "rt"}, {"Recaptcha-SiteKey", "sk"}});
        if (row.body) {
            expected.emplace_back("Content-Type", "application/json");
            EXPECT_EQ(boost::json::parse(request->body), boost::json::parse(row.body));
        } else {
            EXPECT_EQ(request->body, "");
        }
        EXPECT_EQ(sorted(request->headers.fields()), sorted(expected));
    }
    EXPECT_EQ(std::ranges::count(covered, false), 0) << "a case has no row";
}

TEST_F(Endpoint, RefusesWhatCannotBecomeARequest) {
    const struct {
        std::string tenant;
        LumenoService service;
        std::string refused;
    } rows[] = {
        {"not a url", Login{"u", "p"}, "not a url/members/login/"},
        {"api.example.com/v1", GetCountries{"tok"}, "api.example.com/v1/countries/"},
        {"", Logout{"tok"}, "/logout/"},
        {G, GetOffersFrom{"next page", "tok"}, "next page"},
        {G, GetTransactionsFrom{"/v1/bits/?cursor=2", "tok"}, "/v1/bits/?cursor=2"},
        {G, GetPromotionsFrom{std::string("https://api.example.com/\0x", 26), "tok"},
         std::string("https://api.example.com/\0x", 26)},
        {G, GetCountries{"tok\r\nX-Admin: 1"}, "header value with a line break or NUL byte: Authorization"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.refused);
        apply({.tenant = row.tenant});
        const auto request = endpoint(row.service);
        ASSERT_FALSE(request.has_value());
        EXPECT_EQ(request.error().kind(), LumenoError::Kind::requestMapping);
        EXPECT_EQ(request.error().detail(), row.refused);
    }
}

TEST(ImageFileName, IsTheMemberIdAndSixRandomLettersOrDigits) {
    const auto first = imageFileName("m 1");
    ASSERT_EQ(first.size(), std::string("m 1-123456.png").size()) << first;
    EXPECT_TRUE(first.starts_with("m 1-") && first.ends_with(".png")) << first;
    EXPECT_TRUE(std::ranges::all_of(first.substr(4, 6), [](unsigned char c) { return std::isalnum(c) != 0; })) << first;
    EXPECT_NE(first, imageFileName("m 1"));
}
