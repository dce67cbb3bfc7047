#pragma once

// The member profile and its parts.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/offers/sponsor_mini_model.hpp"

namespace lumeno {

/// One loyalty-account balance of the member.
///
/// `memberId` is no JSON key: it is the decoding context's `transferId` (the id of the profile
/// being decoded), and absent without a context. It is never encoded.
struct MemberBalance {
    std::optional<std::string> memberId;
    std::int64_t loyaltyAccountId = 0;           ///< "loyalty_account_id", strict
    std::optional<std::string> loyaltyAccount;  ///< "loyalty_account", lenient
    double balance = 0;                          ///< "balance", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberBalance decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberBalance>::decode(json, decoder);
    }
    /// Leaves out the key of an absent field.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<MemberBalance>::toJson(*this); }
};

/// The member profile.
///
/// Decoding reads "id" first, then, under a decoding context, writes the id text as the
/// context's `transferId` (absent when the profile has no id) and "md" as its
/// `prefixExtraData`, so that the balances and the attribute map decoded after it, and every
/// record decoded later in the same reply, build their identifiers from this member. The
/// other keys follow in the order of the fields below.
struct MemberDetails {
    /// "id": a text, or an integral number kept as its decimal text; absent or null gives
    /// absent, any other value fails the record. Encoded as text.
    std::optional<std::string> id;
    std::optional<std::string> firstName;     ///< "first_name", lenient
    std::optional<std::string> lastName;      ///< "last_name", lenient
    std::optional<std::string> email;         ///< "email", lenient
    std::optional<std::string> mobile;        ///< "mobile", lenient
    std::optional<std::string> dateOfBirth;   ///< "date_of_birth", lenient, the text as received
    std::optional<std::string> profileImage;  ///< "profile_image", lenient
    std::optional<std::string> status;        ///< "status", lenient
    std::vector<MemberBalance> balances;      ///< "balances", strict
    std::optional<std::string> token;         ///< "token", lenient
    std::optional<std::string> expiresIn;     ///< "expires_in", lenient; seconds, as text
    std::vector<SponsorMiniModel> favoriteSponsors;  ///< "favorite_sponsors", strict
    /// "extra_data", lenient. Encoded as an object of its attributes' keys and value texts.
    std::optional<ExtraData> extraData;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberDetails decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberDetails>::decode(json, decoder);
    }
    /// Writes the keys above, leaving out the key of an absent field; lists are always written.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<MemberDetails>::toJson(*this); }
};

/// The short member record of the member look-up; every key lenient.
struct MemberDetailsConcise {
    std::optional<std::string> id;            ///< "id"
    std::optional<std::string> profileImage;  ///< "profile_image"
    std::optional<std::string> firstName;     ///< "first_name"
    std::optional<std::string> lastName;      ///< "last_name"
    std::optional<std::string> middleName;    ///< "middle_name"
    std::optional<std::string> memberName;    ///< "member_name"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberDetailsConcise decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberDetailsConcise>::decode(json, decoder);
    }
};

}  // namespace lumeno
