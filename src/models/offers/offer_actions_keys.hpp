#pragma once

#include "lumeno/models/offers/offer_actions.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using OPr = OfferPresentment;
inline constexpr auto offerPresentmentKeys = fields<OPr>(
    strict("id", &OPr::id), strict("offer", &OPr::offer), lenient("title", &OPr::title),
    lenient("subtitle", &OPr::subtitle), lenient("image", &OPr::image), lenient("image_url", &OPr::imageUrl),
    lenient("header_html", &OPr::headerHtml), lenient("detail_html", &OPr::detailHtml));

using MA = MemberAction;
inline constexpr auto memberActionKeys = fields<MA>(
    Step<MA>{[](const KeyedReader& in, MA& out) {
                 const DataTransferModel* context = in.context();
                 out.offerId = context && context->transferId ? offerIdFromText(*context->transferId)
                                                              : in.strict<std::int64_t>("offer_id");
             },
             nullptr, "offer_id"},
    strict("accepted", &MA::accepted), strict("rating", &MA::rating));

inline constexpr auto offerIdKeys = fields<OfferId>(required("offer_id", &OfferId::id));

using WUR = WishlistUpdateResponse;
inline constexpr auto wishlistUpdateResponseKeys = fields<WUR>(
    Step<WUR>{[](const KeyedReader& in, WUR& out) {
                  if (auto added = in.lenient<std::vector<OfferId>>("success"))
                      out.update = WUR::Added{std::move(*added)};
                  else
                      out.update = WUR::Removed{in.required<std::vector<OfferId>>("removed")};
              },
              nullptr, "success"},
    lenient("failure", &WUR::failure));

using MO = MemberOffer;
inline constexpr auto memberOfferKeys = fields<MO>(
    strict("memberID", &MO::memberID), strict("offerID", &MO::offerID), strict("userResponse", &MO::userResponse),
    strict("availmentCount", &MO::availmentCount), strict("updated", &MO::updated),
    strict("notTargeted", &MO::notTargeted), strict("mtoMap", &MO::mToMap));

}  // namespace lumeno::detail
