// Offers, bookings and the wish list.

#include "api/request_road.hpp"

namespace lumeno {

using namespace detail;

namespace {

using OfferPage = PaginatedResponse<std::vector<Offer>>;

/// The query of the offers around `location`, within `radius` when one is given.
JsonObject nearby(Coordinate location, std::optional<double> radius, std::int64_t pageSize) {
    JsonObject parameters{{"latitude", location.latitude}, {"longitude", location.longitude}, {"page_size", pageSize}};
    if (radius) parameters["radius"] = *radius;
    return parameters;
}

}  // namespace

namespace detail {

Handle getMemberOffers(const Token& token, std::string memberID, Result<JsonValue> request,
                       Completion<std::vector<MemberOffer>> completion) {
    return bodyCall<service::GetMemberOffers>(token, std::move(request), std::move(completion), std::move(memberID));
}

}  // namespace detail

Handle LumenoRequest::getOffers(const Token& token, std::int64_t pageSize, Completion<OfferPage> completion) {
    return tokenCall<service::GetOffersList>(token, std::move(completion), pageSize);
}

Handle LumenoRequest::getOffers(const Token& token, JsonObject parameters, std::int64_t pageSize,
                                Completion<OfferPage> completion) {
    return tokenCall<service::GetOffers>(token, std::move(completion),
                                         withValues(std::move(parameters), {{"page_size", pageSize}}));
}

Handle LumenoRequest::getOffers(const Token& token, Coordinate location, std::optional<double> radius,
                                std::int64_t pageSize, Completion<OfferPage> completion) {
    return tokenCall<service::GetOffers>(token, std::move(completion), nearby(location, radius, pageSize));
}

Handle LumenoRequest::getOffersByCategory(const Token& token, std::string category, std::int64_t pageSize,
                                          Completion<OfferPage> completion) {
    return tokenCall<service::GetOffersListForCategory>(token, std::move(completion), std::move(category), pageSize);
}

Handle LumenoRequest::getOffersByLocationCode(const Token& token, std::string locationCode, std::int64_t pageSize,
                                              Completion<OfferPage> completion) {
    return tokenCall<service::GetOffers>(token, std::move(completion),
                                         JsonObject{{"location_code", std::move(locationCode)}, {"page_size", pageSize}});
}

Handle LumenoRequest::getFavoriteOffers(const Token& token, std::int64_t pageSize, Completion<OfferPage> completion) {
    return tokenCall<service::GetOffers>(
        token, std::move(completion),
        JsonObject{{"page_size", pageSize}, {"ordering", "-created_ts"}, {"favorites", "True"}});
}

Handle LumenoRequest::getOffersFromCursor(const Token& token, std::string cursor, Completion<OfferPage> completion) {
    return tokenCall<service::GetOffersFrom>(token, std::move(completion), std::move(cursor));
}

Handle LumenoRequest::getOffer(const Token& token, std::int64_t id, Completion<Offer> completion) {
    return tokenCall<service::GetOffer>(token, std::move(completion), id);
}

Handle LumenoRequest::acceptOffer(const Token& token, std::int64_t offerId, bool accept, Completion<void> completion) {
    return tokenCall<service::OfferAcceptReject>(token, std::move(completion), accept, offerId);
}

Handle LumenoRequest::rateOffer(const Token& token, std::int64_t withID, std::int64_t rating,
                                Completion<void> completion) {
    return tokenCall<service::RateOffer>(token, std::move(completion), withID, rating);
}

Handle LumenoRequest::getMemberActionDataForOffer(const Token& token, std::int64_t withID,
                                                  Completion<MemberAction> completion) {
    return tokenCall<service::GetOfferAction>(token, std::move(completion), withID);
}

Handle LumenoRequest::getMemberRecommendedOffers(const Token& token, std::string withID,
                                                 std::optional<JsonObject> params,
                                                 Completion<std::vector<RecommendedOffer>> completion) {
    return tokenCall<service::GetRecommendedOffers>(token, std::move(completion),
                                                    std::move(params).value_or(JsonObject{{"count", 3}}),
                                                    std::move(withID));
}

Handle LumenoRequest::getPresentmentForOffer(const Token& token, std::int64_t withID,
                                             Completion<OfferPresentment> completion) {
    return tokenCall<service::GetPresentment>(token, std::move(completion), withID);
}

Handle LumenoRequest::createOfferBooking(const Token& token, std::string memberID, BookingStatus status,
                                         std::int64_t offerID, std::string locationCode, std::string startTime,
                                         std::string endTime, Completion<OfferBooking> completion) {
    return tokenCall<service::CreateBooking>(token, std::move(completion), std::move(memberID), status, offerID,
                                             std::move(locationCode), std::move(startTime), std::move(endTime));
}

Handle LumenoRequest::getOfferBookings(const Token& token, std::string memberID, std::int64_t pageSize,
                                       Completion<std::vector<OfferBooking>> completion) {
    return tokenCall<service::GetBookings>(token, std::move(completion), std::move(memberID), pageSize);
}

Handle LumenoRequest::updateOfferBooking(const Token& token, std::string memberID, std::int64_t bookingID,
                                         BookingStatus status, Completion<OfferBooking> completion) {
    return tokenCall<service::UpdateBooking>(token, std::move(completion), bookingID, status, std::move(memberID));
}

Handle LumenoRequest::addToWishList(const Token& token, std::string memberId, std::vector<std::int64_t> offerIds,
                                    Completion<WishlistUpdateResponse> completion) {
    return tokenCall<service::AddToWishlist>(token, std::move(completion), std::move(memberId), std::move(offerIds));
}

Handle LumenoRequest::removeFromWishList(const Token& token, std::string memberId, std::vector<std::int64_t> offerIds,
                                         Completion<WishlistUpdateResponse> completion) {
    return tokenCall<service::RemoveFromWishlist>(token, std::move(completion), std::move(memberId),
                                                  std::move(offerIds));
}

Handle LumenoRequest::getWishlist(const Token& token, std::string memberId, Completion<std::vector<Offer>> completion) {
    return tokenCall<service::GetWishlist>(token, std::move(completion), std::move(memberId));
}

}  // namespace lumeno
