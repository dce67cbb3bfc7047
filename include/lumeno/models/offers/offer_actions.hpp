#pragma once

// The small records around one offer: its presentment, the member's action on it, the wish-list
// body and reply, and the member's responses to offers.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default), required (the key must be present with a value of the right type).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The presentation texts and images of one offer.
struct OfferPresentment {
    std::int64_t id = 0;                     ///< "id", strict
    std::int64_t offer = 0;                  ///< "offer", strict: the offer's id
    std::optional<std::string> title;        ///< "title", lenient
    std::optional<std::string> subtitle;     ///< "subtitle", lenient
    std::optional<std::string> image;        ///< "image", lenient
    std::optional<std::string> imageUrl;     ///< "image_url", lenient
    std::optional<std::string> headerHtml;   ///< "header_html", lenient
    std::optional<std::string> detailHtml;   ///< "detail_html", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static OfferPresentment decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<OfferPresentment>::decode(json, decoder);
    }
};

/// What the member did with one offer.
///
/// `offerId`: under a decoding context whose `transferId` is set, that text read as a base-10
/// integer (0 when it is not one), and "offer_id" is not read at all; otherwise "offer_id",
/// strict. So an action decoded as a whole reply takes its own "offer_id", and one nested in
/// an offer takes the offer's id.
struct MemberAction {
    std::int64_t offerId = 0;  ///< "offer_id" or the decoding context, read first
    bool accepted = false;     ///< "accepted", strict
    std::int64_t rating = 0;   ///< "rating", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberAction decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberAction>::decode(json, decoder);
    }
};

/// One offer id; a list of them is the wish-list calls' body, [{"offer_id": 12}, ...].
struct OfferId {
    std::int64_t id = 0;  ///< "offer_id", required

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static OfferId decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<OfferId>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<OfferId>::toJson(*this); }
};

/// The reply of the wish-list add and remove calls.
///
/// "success", when it holds a list of offer ids, makes `update` `Added` and "removed" is not
/// read; otherwise "removed" is required to hold one and makes it `Removed`. "failure" is
/// lenient: a missing or broken list is empty.
struct WishlistUpdateResponse {
    /// "success": the offers added.
    struct Added { std::vector<OfferId> offers; };
    /// "removed": the offers removed.
    struct Removed { std::vector<OfferId> offers; };
    /// What the platform reports as done, with the offers it did it to.
    struct UpdateType : std::variant<Added, Removed> {
        using variant::variant;
    };

    UpdateType update;
    std::vector<OfferId> failure;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static WishlistUpdateResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<WishlistUpdateResponse>::decode(json, decoder);
    }
};

/// A member's response to one offer. Every key is strict and reads as absent when missing or
/// null; "mtoMap" must be an object of texts. Keys are read and written in the order
/// "memberID", "offerID", "userResponse", "availmentCount", "updated", "notTargeted", "mtoMap"
/// (the fields keep their order of old, which positional initialisation relies on); encoding leaves out the key of every absent field.
struct MemberOffer {
    std::optional<std::string> memberID;                   ///< "memberID"
    std::optional<std::int64_t> offerID;                   ///< "offerID"
    std::optional<std::string> userResponse;               ///< "userResponse"
    std::optional<std::int64_t> availmentCount;            ///< "availmentCount"
    std::optional<std::map<std::string, std::string>> mToMap;  ///< "mtoMap"
    std::optional<bool> updated;                           ///< "updated"
    std::optional<bool> notTargeted;                       ///< "notTargeted"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberOffer decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberOffer>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<MemberOffer>::toJson(*this); }
};

}  // namespace lumeno
