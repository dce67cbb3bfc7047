// Reference data: the login attribute, look-ups, balance tags, regions, countries and cities;
// the upload addresses.

#include "api/request_road.hpp"

namespace lumeno {

using namespace detail;

Handle LumenoRequest::getLoginAttribute(const Token& token, Completion<LoginAttribute> completion) {
    return tokenCall<service::GetLoginAttribute>(token, std::move(completion));
}

Handle LumenoRequest::getLookUps(const Token& token, std::string type, Completion<std::vector<LookUp>> completion) {
    return tokenCall<service::LookUp>(token, std::move(completion), std::move(type));
}

Handle LumenoRequest::getAllLookUps(const Token& token, Completion<std::vector<LookUp>> completion) {
    return tokenCall<service::AllLookUps>(token, std::move(completion));
}

Handle LumenoRequest::getBalanceTagNames(const Token& token, Completion<std::vector<BalanceTag>> completion) {
    return tokenCall<service::GetBalanceTagNames>(token, std::move(completion));
}

Handle LumenoRequest::getRegion(const Token& token, std::string country, Completion<std::vector<Region>> completion) {
    return tokenCall<service::GetRegion>(token, std::move(completion), std::move(country));
}

Handle LumenoRequest::fetchRegion(const Token& token, std::int64_t countryCode,
                                  Completion<std::vector<Region>> completion) {
    return tokenCall<service::FetchRegion>(token, std::move(completion), countryCode);
}

Handle LumenoRequest::getCountries(const Token& token, Completion<std::vector<Country>> completion) {
    return tokenCall<service::GetCountries>(token, std::move(completion));
}

Handle LumenoRequest::getCities(std::int64_t regionId, std::optional<std::string> search,
                                Completion<std::vector<GetCitiesResponse>> completion) {
    return call<service::GetCities>(std::move(completion), regionId, std::move(search));
}

// The upload addresses take the token argument alone.

Handle LumenoRequest::getS3ImageUploadURL(const Token& token, std::string memberID,
                                          Completion<S3ImageResponse> completion) {
    return tokenCall<service::GetImageUploadURL>(argumentOnly(token), std::move(completion), memberID,
                                                 service::imageFileName(memberID));
}

Handle LumenoRequest::getS3ImageUploadReceiptURL(const Token& token, std::string memberID,
                                                 Completion<S3ImageResponse> completion) {
    return tokenCall<service::GetReceiptImageUploadURL>(argumentOnly(token), std::move(completion), memberID,
                                                        service::imageFileName(memberID));
}

}  // namespace lumeno
