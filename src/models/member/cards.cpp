#include "lumeno/models/member/cards.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

CardDetails CardDetails::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    CardDetails out;
    out.id = in.strict<std::int64_t>("id");
    out.number = in.lenient<std::string>("number");
    out.name = in.lenient<std::string>("name");
    out.member = in.lenient<std::string>("member");
    out.status = in.lenient<std::string>("status");
    out.memberData = in.lenient<MemberDetailsConcise>("member_data");
    out.error = in.lenient<LumenoErrorResponse>("error");
    return out;
}

CardRequestResponse CardRequestResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.lenient<std::string>("data"), in.lenient<LumenoErrorResponse>("error")};
}

void CardAddRequest::wrap(Wrapper& wrapper) const { wrapper("number", number)("name", name)("member", member); }

JsonValue CardAddRequest::toJson() const { return lumeno::wrap(*this); }

CardCancelRequest::CardCancelRequest(std::string reason, std::string comment)
    : reason(std::move(reason)), comment(std::move(comment)) {}

void CardCancelRequest::wrap(Wrapper& wrapper) const { wrapper("reason", reason)("comment", comment); }

JsonValue CardCancelRequest::toJson() const { return lumeno::wrap(*this); }

}  // namespace lumeno
