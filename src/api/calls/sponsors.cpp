// Sponsors, their locations, the merchant PIN check and the base rates.

#include "api/request_road.hpp"

namespace lumeno {

using namespace detail;

Handle LumenoRequest::getSponsor(const Token& token, std::int64_t id, Completion<Sponsor> completion) {
    return tokenCall<service::GetSponsor>(token, std::move(completion), id);
}

Handle LumenoRequest::getSponsors(const Token& token, JsonObject parameters, std::int64_t pageSize,
                                  Completion<PaginatedResponse<std::vector<Sponsor>>> completion) {
    return tokenCall<service::GetSponsors>(token, std::move(completion),
                                           withValues(std::move(parameters), {{"page_size", pageSize}}));
}

Handle LumenoRequest::getSponsorsFrom(const Token& token, std::string cursor, JsonObject, std::int64_t,
                                      Completion<PaginatedResponse<std::vector<Sponsor>>> completion) {
    return tokenCall<service::GetSponsorsFrom>(token, std::move(completion), std::move(cursor));
}

Handle LumenoRequest::getTrimmedSponsors(const Token& token, JsonObject parameters, std::int64_t pageSize,
                                         Completion<std::vector<TrimSponsor>> completion) {
    return tokenCall<service::GetTrimmedSponsors>(token, std::move(completion),
                                                  withValues(std::move(parameters), {{"page_size", pageSize}}));
}

Handle LumenoRequest::getSponsorLocations(const Token& token, std::int64_t sponserId, std::int64_t pageSize,
                                          JsonObject parameters,
                                          Completion<PaginatedResponse<std::vector<SponsorLocation>>> completion) {
    return tokenCall<service::GetLocationBasedOffers>(
        token, std::move(completion),
        withValues(std::move(parameters), {{"sponsor_id", sponserId}, {"limit", pageSize}}));
}

Handle LumenoRequest::getSponsorLocations(const Token& token, JsonObject parameters,
                                          Completion<PaginatedResponse<std::vector<SponsorLocation>>> completion) {
    return tokenCall<service::GetLocationBasedOffers>(token, std::move(completion), std::move(parameters));
}

Handle LumenoRequest::getLocationBasedOffers(const Token& token, JsonObject request,
                                             Completion<std::vector<SponsorLocation>> completion) {
    return tokenCall<service::GetLocationBasedOffers>(token, std::move(completion), std::move(request));
}

Handle LumenoRequest::verifyMerchantPin(const Token& token, std::int64_t sponsorId, std::string pin,
                                        Completion<void> completion) {
    return tokenCall<service::VerifyMerchantPin>(token, std::move(completion), sponsorId, std::move(pin));
}

Handle LumenoRequest::getSponsorBaseRate(const Token& token, std::int64_t sponsorId, std::int64_t loyaltyAccount,
                                         Completion<std::vector<SponsorBaseRateResponse>> completion) {
    return tokenCall<service::SponsorBaseRate>(token, std::move(completion), sponsorId, loyaltyAccount);
}

Handle LumenoRequest::getSponsorDefaultBaseRate(const Token& token, SponsorDefaultBaseRatePolicy policyType,
                                                std::int64_t loyaltyAccount,
                                                Completion<std::vector<SponsorDefaultRateResponse>> completion) {
    return tokenCall<service::SponsorDefaultBaseRate>(token, std::move(completion), std::string(rawValue(policyType)),
                                                      loyaltyAccount);
}

}  // namespace lumeno
