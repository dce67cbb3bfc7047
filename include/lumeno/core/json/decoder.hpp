#pragma once

#include <any>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumeno {

/// A decoding failure. Decoders throw it; the reply decoder turns it into a `LumenoError`.
class DecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The decoding context of one reply. Parent records write their identifier and key prefixes
/// here before their nested records are decoded; nested records build identifiers from it.
/// One object serves a whole reply and nothing restores earlier values.
class DataTransferModel {
public:
    std::optional<std::string> transferId;          ///< the id of the parent record being decoded
    std::optional<std::string> prefixExtraData;     ///< the prefix of `ExtraData` ids
    std::optional<std::string> prefixLocationUrls;  ///< the prefix of `LocationUrls` ids
};

/// The user-information key under which a reply's decoder carries its `DataTransferModel`.
inline constexpr std::string_view transferRefKey = "transfer_ref";

/// What a model decoder is given besides the JSON: the decoder's user information.
class Decoder {
public:
    /// User information by key; a decoder reads only `transferRefKey`.
    using UserInfo = std::map<std::string, std::any, std::less<>>;

    /// A decoder without user information, and so without a decoding context.
    Decoder() = default;
    /// A decoder with this user information; its context is the `DataTransferModel` held, as a
    /// `std::shared_ptr`, under `transferRefKey`, if any.
    explicit Decoder(const UserInfo& userInfo);

    /// A decoder carrying a new, empty `DataTransferModel` under `transferRefKey`.
    static Decoder withFreshContext();

    /// The context under `transferRefKey`; null when absent or of another type.
    [[nodiscard]] DataTransferModel* transferRef() const noexcept { return transferRef_.get(); }

private:
    std::shared_ptr<DataTransferModel> transferRef_;
};

}  // namespace lumeno
