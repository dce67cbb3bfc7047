// Every record decodes and encodes through its key table: the hooks behind the records' public
// `decode` and `toJson`, instantiated here once for each record. One source file sees every
// table, as a record's table decodes the records nested in it through their own hooks.

#include "core/error_keys.hpp"
#include "models/activity/accrual_detail_keys.hpp"
#include "models/activity/bit_header_keys.hpp"
#include "models/activity/bit_response_keys.hpp"
#include "models/activity/lumeno_bit_keys.hpp"
#include "models/activity/offer_action_keys.hpp"
#include "models/activity/receipts_keys.hpp"
#include "models/activity/transfer_transaction_keys.hpp"
#include "models/member/account_replies_keys.hpp"
#include "models/member/balances_keys.hpp"
#include "models/member/cards_keys.hpp"
#include "models/member/family_keys.hpp"
#include "models/member/member_details_keys.hpp"
#include "models/member/member_response_keys.hpp"
#include "models/member/payment_keys.hpp"
#include "models/offers/location_offer_keys.hpp"
#include "models/offers/lookups_keys.hpp"
#include "models/offers/offer_actions_keys.hpp"
#include "models/offers/offer_booking_keys.hpp"
#include "models/offers/offer_keys.hpp"
#include "models/offers/privileges_keys.hpp"
#include "models/offers/promotion_keys.hpp"
#include "models/offers/rates_keys.hpp"
#include "models/offers/recommended_offer_keys.hpp"
#include "models/offers/sponsor_config_keys.hpp"
#include "models/offers/sponsor_keys.hpp"
#include "models/offers/sponsor_location_keys.hpp"
#include "models/offers/sponsor_mini_model_keys.hpp"
#include "models/offers/statistics_keys.hpp"

namespace lumeno::detail {

template <class R>
R Record<R>::decode(const JsonValue& json, const Decoder& decoder)
    requires DecodableModel<R>
{
    return keysOf<R>.decode(json, decoder);
}

template <class R>
JsonValue Record<R>::toJson(const R& record)
    requires EncodableModel<R>
{
    return json::writable(keysOf<R>.encode(record));
}

template struct Record<LumenoErrorResponse>;
template struct Record<RedemptionDetail>;
template struct Record<AccrualDetail>;
template struct Record<BitHeader>;
template struct Record<BitResponse>;
template struct Record<LumenoBit>;
template struct Record<TransferProfile>;
template struct Record<OfferAction>;
template struct Record<UploadReceiptRequest>;
template struct Record<ReceiptResponse>;
template struct Record<TransferTransaction>;
template struct Record<MemberStatus>;
template struct Record<AppleStatus>;
template struct Record<PasswordStatus>;
template struct Record<SocialDelinkResponse>;
template struct Record<LoginAttribute>;
template struct Record<S3ImageResponse>;
template struct Record<MemberReferralResponse>;
template struct Record<PendingPointBalance>;
template struct Record<LoyaltyBalance>;
template struct Record<BalanceTag>;
template struct Record<CardDetails>;
template struct Record<CardRequestResponse>;
template struct Record<CardAddRequest>;
template struct Record<CardCancelRequest>;
template struct Record<FamilySummary>;
template struct Record<FamilyInvite>;
template struct Record<FamilyMemberInviteResponse>;
template struct Record<MemberBalance>;
template struct Record<MemberDetails>;
template struct Record<MemberDetailsConcise>;
template struct Record<MemberResponse>;
template struct Record<LumenoTokenResponse>;
template struct Record<ChangePasswordResponse>;
template struct Record<AppleLoginDetails>;
template struct Record<Payment>;
template struct Record<OfferParams>;
template struct Record<LocationOffer>;
template struct Record<LookUp::Localisation>;
template struct Record<LookUp>;
template struct Record<Region>;
template struct Record<Country>;
template struct Record<GetCitiesResponse>;
template struct Record<OfferPresentment>;
template struct Record<MemberAction>;
template struct Record<OfferId>;
template struct Record<WishlistUpdateResponse>;
template struct Record<MemberOffer>;
template struct Record<OfferBooking>;
template struct Record<Offer>;
template struct Record<Product>;
template struct Record<Privilege>;
template struct Record<ProductChoice>;
template struct Record<ExternalPrivilegeResponse>;
template struct Record<Promotion>;
template struct Record<SponsorDefaultRateResponse>;
template struct Record<SponsorBaseRateResponse>;
template struct Record<RecommendedOffer>;
template struct Record<SponsorConfigResponse>;
template struct Record<Sponsor>;
template struct Record<TrimSponsor>;
template struct Record<LocationTiming>;
template struct Record<LocationCompact>;
template struct Record<SponsorLocation>;
template struct Record<SponsorMiniModel>;
template struct Record<SponsorStatisticsResponse>;
template struct Record<CategoryStatisticsResponse>;

}  // namespace lumeno::detail
