#pragma once

#include "lumeno/models/offers/offer_actions.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using OPr = OfferPresentment;
inline constexpr auto offerPresentmentKeys = fields<OPr>(
    strict("id", &OPr::id), strict("offer", &OPr::offer), lenient("title", &OPr::title),
    lenient("subtitle", &OPr::subtitle), lenient("image", &OPr::image), lenient("image_url", &OPr::imageUrl),
    lenient("header_html", &OPr::headerHtml), lenient("detail_html", &OPr::detailHtml));
template <> inline constexpr const auto& keysOf<OfferPresentment> = offerPresentmentKeys;

using MA = MemberAction;
inline constexpr auto memberActionKeys = fields<MA>(
    // Under a context that holds an id the key is not read.
    Step<MA>{.read = [](const KeyedReader& in, MA& out) {
                 const DataTransferModel* context = in.context();
                 out.offerId = context && context->transferId ? offerIdFromText(*context->transferId)
                                                              : in.strict<std::int64_t>("offer_id");
             },
             .key = "offer_id",
             .rule = Rule::strict,
             .mismatch = mismatchFor<std::int64_t>()},
    strict("accepted", &MA::accepted), strict("rating", &MA::rating));
template <> inline constexpr const auto& keysOf<MemberAction> = memberActionKeys;

inline constexpr auto offerIdKeys = fields<OfferId>(required("offer_id", &OfferId::id));
template <> inline constexpr const auto& keysOf<OfferId> = offerIdKeys;

using WUR = WishlistUpdateResponse;
inline constexpr auto wishlistUpdateResponseKeys = fields<WUR>(
    // "success" when it holds offer ids; otherwise "removed" must.
    Step<WUR>{.read = [](const KeyedReader& in, WUR& out) {
                  if (auto added = in.lenient<std::vector<OfferId>>("success")) out.update = WUR::Added{std::move(*added)};
                  else out.update = WUR::Removed{};
              },
              .key = "success",
              .mismatch = mismatchFor<std::vector<OfferId>>()},
    Step<WUR>{.read = [](const KeyedReader& in, WUR& out) {
                  if (auto* removed = std::get_if<WUR::Removed>(&out.update))
                      removed->offers = in.required<std::vector<OfferId>>("removed");
              },
              .key = "removed",
              .rule = Rule::required,
              .mismatch = mismatchFor<std::vector<OfferId>>()},
    lenient("failure", &WUR::failure));
template <> inline constexpr const auto& keysOf<WishlistUpdateResponse> = wishlistUpdateResponseKeys;

using MO = MemberOffer;
inline constexpr auto memberOfferKeys = fields<MO>(
    strict("memberID", &MO::memberID), strict("offerID", &MO::offerID), strict("userResponse", &MO::userResponse),
    strict("availmentCount", &MO::availmentCount), strict("updated", &MO::updated),
    strict("notTargeted", &MO::notTargeted), strict("mtoMap", &MO::mToMap));
template <> inline constexpr const auto& keysOf<MemberOffer> = memberOfferKeys;

}  // namespace lumeno::detail
