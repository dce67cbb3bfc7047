// Records through the reply decoding the calls use: a single record or a list, under a key path
// or not, with a fresh decoding context or none, and pages with their cursor headers. Decoding
// never throws; a failure is the one the status and body stand for and carries the reply; a
// decoded record that encodes itself writes JSON.
//
// Input: the reply body, then three bytes: the record (a row of `kRecords`), the shape and the
// status.

#include <array>
#include <vector>

#include "api/response_decoding.hpp"
#include "check.hpp"
#include "lumeno/lumeno.hpp"

using namespace lumeno;
using detail::Context;
using fuzz::require;

namespace {

constexpr std::array kStatuses = {200, 201, 204, 299, 199, 300, 304, 400, 401, 403, 404, 500};
constexpr std::string_view kPrevious = "https://api.test/v1/x/?cursor=cD0x";
constexpr std::string_view kNext = "https://api.test/v1/x/?cursor=cD0z";

struct Input {
    detail::ProviderResult outcome;
    std::uint8_t shape;  ///< bits 0-1 single, list, page; 2 key path "data"; 3 no context
    bool hasPrevious;
    bool hasNext;
};

void checkFailure(const LumenoError& error, const Response& reply) {
    using Kind = LumenoError::Kind;
    const bool success = reply.statusCode >= 200 && reply.statusCode <= 299;
    if (success)
        require(error.kind() == Kind::objectMapping, "a 2xx reply fails only in its mapping");
    else
        require(error.kind() == Kind::statusCode || error.kind() == Kind::lumenoErrorMapping,
                "a reply outside 2xx fails with its status");
    require(error.response() != nullptr && error.response()->data == reply.data, "a failure carries its reply");
}

template <class T>
void checkRecord(const T& record) {
    if constexpr (EncodableModel<T>) require(fuzz::writesJson(record.toJson()), "a decoded record writes JSON");
}

template <class T>
void checkDecoded(const Result<T>& result, const Response& reply) {
    if (!result) return checkFailure(result.error(), reply);
    require(reply.statusCode >= 200 && reply.statusCode <= 299, "only a 2xx reply decodes");
    if constexpr (json::IsVector<T>::value)
        for (const auto& record : *result) checkRecord(record);
    else
        checkRecord(*result);
}

template <class T>
void decode(const Input& in) {
    const Response& reply = *in.outcome;
    const auto keyPath = in.shape & 4 ? std::optional<std::string_view>("data") : std::nullopt;
    const Context context = in.shape & 8 ? Context::none : Context::fresh;
    switch (in.shape % 4) {
        case 0: return checkDecoded(detail::decodeResponse<T>(in.outcome, keyPath, context), reply);
        case 1: return checkDecoded(detail::decodeResponse<std::vector<T>>(in.outcome, keyPath, context), reply);
        default: {
            auto page = detail::decodePaginatedResponse<T>(in.outcome, keyPath);
            if (!page) return checkFailure(page.error(), reply);
            require(page->previousCursor == (in.hasPrevious ? std::optional(std::string(kPrevious)) : std::nullopt) &&
                        page->nextCursor == (in.hasNext ? std::optional(std::string(kNext)) : std::nullopt),
                    "a page's cursors are its headers");
            return checkDecoded(Result<std::vector<T>>(std::move(page->content)), reply);
        }
    }
}

// Every record a reply can hold, nested ones included: one row each, new ones at the end (a
// seed names its row by its place).
constexpr std::array kRecords = {
    // Member replies, balances, cards, families.
    decode<MemberStatus>, decode<AppleStatus>, decode<PasswordStatus>, decode<SocialDelinkResponse>,
    decode<LoginAttribute>, decode<S3ImageResponse>, decode<MemberReferralResponse>, decode<PendingPointBalance>,
    decode<LoyaltyBalance>, decode<BalanceTag>, decode<CardDetails>, decode<CardRequestResponse>,
    decode<FamilySummary>, decode<FamilyInvite>, decode<FamilyMemberInviteResponse>, decode<MemberBalance>,
    decode<MemberDetails>, decode<MemberDetailsConcise>, decode<MemberResponse>, decode<LumenoTokenResponse>,
    decode<ChangePasswordResponse>, decode<Payment>, decode<SponsorMiniModel>,
    // Look-ups.
    decode<LookUp>, decode<Region>, decode<Country>, decode<GetCitiesResponse>,
    // Activity, receipts, privileges, rates and statistics.
    decode<RedemptionDetail>, decode<AccrualDetail>, decode<BitHeader>, decode<BitResponse>, decode<LumenoBit>,
    decode<TransferProfile>, decode<OfferAction>, decode<UploadReceiptRequest>, decode<ReceiptResponse>,
    decode<Product>, decode<Privilege>, decode<ProductChoice>, decode<ExternalPrivilegeResponse>,
    decode<SponsorDefaultRateResponse>, decode<SponsorBaseRateResponse>, decode<SponsorConfigResponse>,
    decode<SponsorStatistics>, decode<SponsorStatisticsResponse>, decode<CategoryStatistics>,
    decode<CategoryStatisticsResponse>, decode<LookUp::Localisation>,
    // Offers, sponsors, locations and promotions.
    decode<Offer>, decode<RecommendedOffer>, decode<OfferBooking>, decode<OfferPresentment>, decode<MemberAction>,
    decode<OfferId>, decode<WishlistUpdateResponse>, decode<MemberOffer>, decode<Sponsor>, decode<TrimSponsor>,
    decode<LocationTiming>, decode<LocationCompact>, decode<SponsorLocation>, decode<OfferParams>,
    decode<LocationOffer>, decode<Promotion>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t record = data[size - 3], shape = data[size - 2], status = data[size - 1];
    HttpHeaders headers{{"Content-Type", "application/json"}};
    // Header names are matched without regard to case.
    if (shape & 16) headers.add(shape & 64 ? "Prev" : "prev", std::string(kPrevious));
    if (shape & 32) headers.add(shape & 64 ? "NEXT" : "next", std::string(kNext));
    const Input in{Response{kStatuses[status % kStatuses.size()], std::string(fuzz::text(data, size - 3)),
                            std::move(headers), "https://api.test/v1/x/"},
                   shape, (shape & 16) != 0, (shape & 32) != 0};
    kRecords[record % kRecords.size()](in);
    return 0;
}
