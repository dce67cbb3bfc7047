// The member's cards and privileges.

#include <algorithm>

#include "api/request_road.hpp"
#include "lumeno/core/lumeno.hpp"
#include "models/member/cards_keys.hpp"

namespace lumeno {

using namespace detail;

namespace {

/// The privilege look-up: the whole body as a bare list, decoded without a context; the first
/// privilege whose code equals `privilegeCode` exactly, or `jsonMapping` when none does.
ProviderCompletion handlePrivilegeResponse(std::string privilegeCode, Completion<Promotion> completion) {
    return [privilegeCode = std::move(privilegeCode),
            completion = std::move(completion)](ProviderResult&& outcome) mutable {
        auto reply = filterSuccessfulStatusCodes(outcome);
        if (!reply) return completion(fail(std::move(reply.error())));
        auto promotions = map<std::vector<Promotion>>(**reply, std::nullopt, Decoder());
        if (!promotions) return completion(fail(std::move(promotions.error())));
        const auto match = std::ranges::find(*promotions, privilegeCode, &Promotion::privilegeCode);
        if (match == promotions->end()) return completion(fail(LumenoError::jsonMapping(**reply)));
        completion(std::move(*match));
    };
}

}  // namespace

Handle LumenoRequest::getMemberCards(const Token& token, std::string memberID,
                                     Completion<std::vector<CardDetails>> completion) {
    return tokenCall<service::GetCardDetailsUsingMemberID>(token, std::move(completion), std::move(memberID));
}

Handle LumenoRequest::addMemberCard(const Token& token, const CardAddRequest& addRequest,
                                    Completion<CardDetails> completion) {
    // The bodies are encoded by their tables: `toJson` throws on a text that is not UTF-8, and a
    // call never throws.
    return tokenCall<service::AddCard>(token, std::move(completion), keysOf<CardAddRequest>.encode(addRequest));
}

Handle LumenoRequest::cancelMemberCard(const Token& token, std::int64_t cardID, const CardCancelRequest& cancelRequest,
                                       Completion<CardRequestResponse> completion) {
    return tokenCall<service::CancelCard>(token, std::move(completion), cardID,
                                          keysOf<CardCancelRequest>.encode(cancelRequest));
}

Handle LumenoRequest::getMemberPrivileges(const Token& token, std::string memberId, std::int64_t pageSize,
                                          Completion<PaginatedResponse<std::vector<Promotion>>> completion) {
    return tokenCallAt<service::GetPromotions>({.keyPath = "data"}, token, std::move(completion), std::move(memberId),
                                               pageSize);
}

Handle LumenoRequest::getMemberPrivileges(const Token& token, std::string fromCursor,
                                          Completion<PaginatedResponse<std::vector<Promotion>>> completion) {
    return tokenCallAt<service::GetPromotionsFrom>({.keyPath = "data"}, token, std::move(completion),
                                                   std::move(fromCursor));
}

Handle LumenoRequest::getPrivilege(const Token& token, std::string memberId, std::string privilegeCode,
                                   Completion<Promotion> completion) {
    return tokenCallWith<service::GetPromotions>(token,
                                                 handlePrivilegeResponse(std::move(privilegeCode), std::move(completion)),
                                                 std::move(memberId), Lumeno::shared().settings()->defaultPageLimit);
}

}  // namespace lumeno
