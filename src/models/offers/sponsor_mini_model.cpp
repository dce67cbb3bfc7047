#include "lumeno/models/offers/sponsor_mini_model.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

SponsorMiniModel SponsorMiniModel::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    SponsorMiniModel out;
    out.id = in.strict<std::int64_t>("id");
    out.sponsor = in.strict<std::int64_t>("sponsor");
    out.name = in.lenient<std::string>("sponsor_name");
    out.shortName = in.lenient<std::string>("sponsor_short_name");
    return out;
}

JsonValue SponsorMiniModel::toJson() const {
    JsonObject object;
    json::putPresent(object, "id", id);
    json::putPresent(object, "sponsor", sponsor);
    json::putPresent(object, "sponsor_name", name);
    json::putPresent(object, "sponsor_short_name", shortName);
    return object;
}

}  // namespace lumeno
