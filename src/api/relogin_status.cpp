#include "lumeno/api/status.hpp"

namespace lumeno {

ReLoginStatus ReLoginStatus::decode(const JsonValue& json, const Decoder& decoder) {
    if (!json.is_string()) return relogin::NotRequired{};
    const auto& text = json.get_string();
    if (text == "success") return relogin::Success{MemberResponse::decode(json, decoder)};
    if (text == "failure") return relogin::InternalFailure{};
    return relogin::NotRequired{};
}

}  // namespace lumeno
