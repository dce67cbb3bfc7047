// Ada's family group and its invitations, member referral and the mobile pass.
#include <mutex>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

/// The invitations the sandbox knows; Ada received number 7 and may accept or reject it once.
struct Invitations {
    std::mutex mutex;
    std::int64_t nextId = 9;
    JsonArray all;

    JsonObject* find(std::int64_t id) {
        for (auto& invite : all)
            if (invite.at("id") == id) return &invite.as_object();
        return nullptr;
    }
};

JsonObject person(std::string_view id, std::string_view first, std::string_view last) {
    return {{"id", id}, {"first_name", first}, {"last_name", last}, {"member_name", std::string(first) + " " + std::string(last)}};
}

}  // namespace

void scriptFamily(SandboxGateway& gateway) {
    const std::string member(SandboxGateway::memberId);
    const std::string family = "/members/family/" + member + "/";
    const JsonObject ada = person(member, "Ada", "Lovelace");

    gateway.onAuthorised("GET", "/members/family_summary/" + member + "/", [member](const test::RecordedRequest&) {
        return json(JsonObject{{"size", 3}, {"head", member}});
    });

    gateway.onAuthorised("GET", family, [&gateway](const test::RecordedRequest&) {
        JsonObject byron{{"id", "M-1002"}, {"first_name", "Byron"}, {"last_name", "King"}, {"status", "ACTIVE"}};
        JsonObject anne{{"id", "M-1003"}, {"first_name", "Anne"}, {"last_name", "King"}, {"status", "ACTIVE"}};
        return json(JsonArray{gateway.profile(), std::move(byron), std::move(anne)});
    });

    auto invitations = std::make_shared<Invitations>();
    invitations->all = {
        JsonObject{{"id", 7}, {"status", "pending"}, {"inviter", person("M-0042", "Mary", "Somerville")},
                   {"invitee", ada}, {"invitee_email", SandboxGateway::username},
                   {"created_ts", "2024-05-01T09:30:00Z"}, {"updated_ts", "2024-05-01T09:30:00Z"}},
        JsonObject{{"id", 8}, {"status", "pending"}, {"inviter", ada}, {"invitee_email", "charles@example.com"},
                   {"created_ts", "2024-05-02T10:00:00Z"}, {"updated_ts", "2024-05-02T10:00:00Z"}},
    };

    gateway.onAuthorised("GET", family + "invitations/", [invitations, member](const test::RecordedRequest& request) {
        const bool onlyReceived = queryValue(request, "type") == "received";
        std::lock_guard lock(invitations->mutex);
        JsonArray out;
        for (const auto& invite : invitations->all)
            if (!onlyReceived || text(invite.at("inviter").as_object(), "id") != member) out.push_back(invite);
        return json(out);
    });

    gateway.onAuthorised("POST", family + "invitations/", [invitations, ada](const test::RecordedRequest& request) {
        const JsonObject invite = body(request);
        if (text(invite, "invitee_email").empty() && text(invite, "invitee_mobile").empty())
            return error(400, "invalid_invitee", "An e-mail address or a mobile number is required.");
        std::lock_guard lock(invitations->mutex);
        JsonObject created{{"id", invitations->nextId++}, {"status", "pending"}, {"inviter", ada},
                           {"created_ts", "2024-06-01T12:00:00Z"}, {"updated_ts", "2024-06-01T12:00:00Z"}};
        for (const char* key : {"invitee_email", "invitee_mobile"})
            if (!text(invite, key).empty()) created[key] = invite.at(key);
        invitations->all.push_back(created);
        return json(created, 201);
    });

    for (std::int64_t id : {7, 8}) {
        const std::string invite = family + "invitations/" + std::to_string(id) + "/";
        gateway.onAuthorised("GET", invite, [invitations, id](const test::RecordedRequest&) {
            std::lock_guard lock(invitations->mutex);
            return json(*invitations->find(id));
        });
    }
    gateway.onAuthorised("POST", family + "invitations/7/action/", [invitations](const test::RecordedRequest& request) {
        const std::string status = text(body(request), "status");
        if (status != "accepted" && status != "rejected")
            return error(400, "invalid_status", "The status is \"accepted\" or \"rejected\".");
        std::lock_guard lock(invitations->mutex);
        JsonObject& invite = *invitations->find(7);
        if (invite.at("status") != "pending") return error(409, "invitation_closed", "The invitation was answered.");
        invite["status"] = status;
        return json(JsonObject{{"status", status}});
    });

    gateway.onAuthorised("POST", "/members/referral/", [](const test::RecordedRequest& request) {
        const JsonObject referral = body(request);
        const JsonValue* emails = referral.if_contains("emails");
        const std::size_t count = emails != nullptr && emails->is_array() ? emails->as_array().size() : 0;
        if (count == 0) return error(400, "invalid_referral", "At least one e-mail address is required.");
        return json(JsonObject{{"data", "Referral sent to " + std::to_string(count) + " friend(s)."}});
    });

    gateway.onAuthorised("GET", "/members/" + member + "/passes", [&gateway, member](const test::RecordedRequest&) {
        return json(JsonObject{{"pass_url", gateway.baseURL() + "/passes/" + member + ".pkpass"},
                               {"barcode", member},
                               {"format", "PKBarcodeFormatQR"}});
    });
}

}  // namespace lumeno::sandbox
