#include "lumeno/models/member/member_response.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

MemberResponse MemberResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    MemberResponse out;
    out.member = in.strictOptional<MemberDetails>("member_data");
    out.token = in.lenient<std::string>("token");
    out.expiresIn = in.lenient<std::string>("expires_in");
    out.success = in.strict<bool>("success");
    out.error = in.lenient<LumenoErrorResponse>("error");
    return out;
}

JsonValue MemberResponse::toJson() const {
    JsonObject object;
    json::putPresent(object, "member_data", member);
    json::putPresent(object, "token", token);
    json::putPresent(object, "expires_in", expiresIn);
    object["success"] = success;
    json::putPresent(object, "error", error);
    return object;
}

LumenoTokenResponse LumenoTokenResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.required<bool>("success"), in.required<std::string>("token")};
}

ChangePasswordResponse ChangePasswordResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    ChangePasswordResponse out;
    out.message = in.lenient<std::string>("message");
    out.authKey = in.lenient<std::string>("auth_key");
    out.token = in.lenient<std::string>("token");
    out.expiresIn = in.lenient<std::string>("expires_in");
    out.status = in.lenient<std::string>("status");
    return out;
}

AppleLoginDetails::AppleLoginDetails(std::string code, const std::optional<std::string>&,
                                     const std::optional<std::string>&, const std::optional<std::string>&)
    : code(std::move(code)) {}

JsonValue AppleLoginDetails::toJson() const { return JsonObject{{"code", code}}; }

}  // namespace lumeno
