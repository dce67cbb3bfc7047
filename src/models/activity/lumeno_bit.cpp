#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "models/activity/lumeno_bit_keys.hpp"

namespace lumeno {

using namespace detail;

std::optional<std::string> detail::offerActionsText(const std::vector<OfferAction>& actions) {
    try {
        return boost::json::serialize(json::encodeValue(actions));
    } catch (const EncodingError&) {
        return std::nullopt;
    }
}


std::vector<OfferAction> LumenoBit::offerActions() const {
    if (!offerActionsString) return {};
    boost::system::error_code ec;
    const JsonValue json = boost::json::parse(*offerActionsString, ec);
    if (ec) return {};
    try {
        return json::decodeValue<std::vector<OfferAction>>(json, Decoder{});
    } catch (const DecodingError&) {
        return {};
    }
}

bool LumenoBit::setOfferActions(const std::vector<OfferAction>& actions) {
    auto text = offerActionsText(actions);
    if (!text) return false;
    offerActionsString = std::move(text);
    return true;
}

}  // namespace lumeno
