// Ada's cards (adding and cancelling change them for the rest of the run) and her privileges.
#include <mutex>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

/// Cancelling answers for the card ids 1 to this; adding stops there.
constexpr std::int64_t kLastCardId = 20;

JsonObject card(std::int64_t id, std::string_view number, std::string_view name) {
    return {{"id", id}, {"number", number}, {"name", name}, {"member", SandboxGateway::memberId}, {"status", "ACTIVE"}};
}

/// Ada's privileges, newest first: eight, so that a page of five leaves a second page.
JsonArray privileges() {
    struct Privilege {
        const char* product;
        std::int64_t sponsorId;
        const char* sponsor;
        const char* status;
        double value;
    };
    static constexpr Privilege list[] = {
        {"Flat white", 3, "Analytical Coffee", "ACTIVE", 3.2},    {"Almond croissant", 3, "Analytical Coffee", "ACTIVE", 2.9},
        {"Cinema ticket", 11, "Countess Cinemas", "ACTIVE", 12},  {"Book token", 5, "Difference Engine Books", "USED", 10},
        {"Museum entry", 12, "Engine Museum", "ACTIVE", 18},      {"Seat upgrade", 13, "Menabrea Travel", "EXPIRED", 25},
        {"Theatre seat", 16, "Théâtre Babbage", "ACTIVE", 30},    {"Bike hire day", 21, "Vélo Menabrea", "ACTIVE", 15},
    };
    JsonArray out;
    std::int64_t number = 1008;
    for (const auto& p : list) {
        const std::string code = "PRV-" + std::to_string(number--);
        JsonObject privilege{
            {"memberID", SandboxGateway::memberId}, {"privilegeCode", code}, {"uniquePrivilegeCode", code + "-A1"},
            {"status", p.status}, {"createdOn", "2024-05-01T09:30:00Z"}, {"startDate", "2024-05-01"},
            {"validTill", "2025-12-31T23:59:59Z"}, {"productName", p.product}, {"productID", number},
            {"offerTitle", p.product + std::string(" on us")}, {"offerID", number - 900}, {"sponsor", p.sponsor},
            {"sponsorID", p.sponsorId}, {"value", p.value}, {"productCost", p.value / 2},
            {"isExternalPrivilege", false}, {"extraData", JsonObject{{"channel", "app"}}}, {"selectedProductsList", JsonArray{}},
        };
        if (std::string_view(p.status) == "USED") privilege["usageDate"] = "2024-06-02T18:05:00Z";
        out.push_back(std::move(privilege));
    }
    return out;
}

}  // namespace

void scriptCards(SandboxGateway& gateway) {
    const std::string member(SandboxGateway::memberId);
    auto cards = std::make_shared<RunRecords>();
    cards->nextId = 3;
    cards->all = {card(1, "6001 2345 6789 0012", "Ada Lovelace"), card(2, "6001 2345 6789 0020", "A. A. Lovelace")};

    gateway.onAuthorised("GET", "/cards/", [cards](const test::RecordedRequest& request) {
        const auto owner = queryValue(request, "member_id");
        std::lock_guard lock(cards->mutex);
        JsonArray out;
        for (const auto& card : cards->all)
            if (owner == text(card.as_object(), "member")) out.push_back(card);
        return json(out);
    });

    gateway.onAuthorised("POST", "/cards/", [cards, member](const test::RecordedRequest& request) {
        const JsonObject fields = body(request);
        const std::string number = text(fields, "number");
        if (number.empty()) return error(400, "invalid_card", "A card number is required.");
        if (text(fields, "member") != member) return error(403, "forbidden", "Cards are added for the signed-in member.");
        std::lock_guard lock(cards->mutex);
        for (const auto& card : cards->all)
            if (text(card.as_object(), "number") == number) return error(409, "card_exists", "The card is known.");
        if (cards->nextId > kLastCardId) return error(409, "card_limit", "No more cards for this member.");
        JsonObject added = card(cards->nextId++, number, text(fields, "name"));
        cards->all.push_back(added);
        return json(added, 201);
    });

    for (std::int64_t id = 1; id <= kLastCardId; ++id) {
        gateway.onAuthorised("POST", "/cards/" + std::to_string(id) + "/deactivate/",
                             [cards, id](const test::RecordedRequest& request) {
                                 if (text(body(request), "reason").empty())
                                     return error(400, "reason_required", "Say why the card is cancelled.");
                                 std::lock_guard lock(cards->mutex);
                                 JsonObject* card = cards->find(id);
                                 if (card == nullptr) return error(404, "card_not_found", "No such card.");
                                 if (text(*card, "status") != "ACTIVE")
                                     return error(400, "card_inactive", "The card is already cancelled.");
                                 (*card)["status"] = "INACTIVE";
                                 return json(JsonObject{{"data", "Card " + text(*card, "number") + " cancelled."}});
                             });
    }

    // Pages of the list under "data". The single-privilege look-up reads this endpoint as a bare
    // list, so against the sandbox it reports an undecodable reply.
    gateway.onAuthorised("GET", "/members/privileges/" + member + "/",
                         [&gateway, all = privileges()](const test::RecordedRequest& request) {
                             return page(gateway, request, all, "page_size", 50,
                                         [](JsonArray content) { return JsonObject{{"data", std::move(content)}}; });
                         });
}

}  // namespace lumeno::sandbox
