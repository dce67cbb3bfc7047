// Ada's activity records and their accruals, point transfers, receipts and the sponsors'
// receipt configurations.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lumeno/core/date_utils.hpp"
#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

using namespace std::chrono_literals;

struct Sponsor {
    std::int64_t id;
    const char* name;
    const char* shortName;
    const char* location;
    const char* locationName;
    const char* area;
};

constexpr Sponsor kSponsors[] = {
    {3, "Analytical Coffee", "AnCo", "LDN-017", "Analytical Coffee, Marylebone", "Marylebone"},
    {5, "Difference Engine Books", "DEB", "LDN-042", "Difference Engine Books, Soho", "Soho"},
    {8, "Jacquard Textiles", "JQT", "LDN-063", "Jacquard Textiles, Spitalfields", "Spitalfields"},
    {12, "Babbage Rail", "BRail", "LDN-101", "Babbage Rail, King's Cross", "King's Cross"},
};

struct Friend {
    const char* id;
    const char* firstName;
    const char* lastName;
};

constexpr Friend kFriends[] = {{"M-1002", "Charles", "Babbage"}, {"M-1003", "Mary", "Somerville"}};

constexpr std::int64_t kFirstBitId = 4001;
constexpr int kRecords = 60;
constexpr std::int64_t kDefaultPageSize = 25;
constexpr double kPendingPoints = 150;  // held back from transfers, as the point balance reports

std::string dateText(Date date, bool fraction = false) {
    static const DateFormatter plain("yyyy-MM-dd'T'HH:mm:ssZ", "en_US_POSIX", "UTC");
    static const DateFormatter precise("yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ", "en_US_POSIX", "UTC");
    return (fraction ? precise : plain).string(date);
}

const Sponsor* findSponsor(std::int64_t id) {
    const auto found = std::ranges::find(kSponsors, id, &Sponsor::id);
    return found == std::end(kSponsors) ? nullptr : &*found;
}

std::string logoOf(const Sponsor& sponsor) {
    return "https://cdn.example.com/sponsors/" + std::to_string(sponsor.id) + ".png";
}

const Friend* findFriend(std::string_view id) {
    const auto found = std::ranges::find(kFriends, id, &Friend::id);
    return found == std::end(kFriends) ? nullptr : &*found;
}

JsonObject profileOf(std::string_view id, std::string_view first, std::string_view last) {
    return {{"first_name", first}, {"last_name", last}, {"member_id", id},
            {"profile_image", "https://cdn.example.com/members/" + std::string(id) + ".png"}};
}

JsonObject balanceChange(double rewarded, double redeemed, double before) {
    return {{"loyalty_account_id", "1"}, {"rewarded", rewarded}, {"redeemed", redeemed},
            {"old_balance", before}, {"new_balance", before + rewarded - redeemed}};
}

/// A transfer's offer action: "DEBIT" for the sender's record, "CREDIT" for the receiver's.
JsonObject transferAction(const Friend& other, bool outgoing, double points) {
    const JsonObject ada = profileOf(SandboxGateway::memberId, "Ada", "Lovelace");
    const JsonObject them = profileOf(other.id, other.firstName, other.lastName);
    return {{"type", "POINTS_TRANSFER"}, {"transfer_action", outgoing ? "DEBIT" : "CREDIT"},
            {"primary_member_id", SandboxGateway::memberId}, {"third_party_member_id", other.id},
            {"sender_data", outgoing ? ada : them}, {"receiver_data", outgoing ? them : ada},
            {"value_n", points}, {"privilege_quantity", 0}, {"reward_tags", JsonArray{}},
            {"privilege_codes", JsonArray{}}, {"pending_days", 0}};
}

/// The fields every record of Ada's shares.
JsonObject record(std::int64_t id, Date date, bool fractionalDate, const char* category, const char* type) {
    return {{"id", id},
            {"h_bit_date", dateText(date, fractionalDate)},
            {"member_id", SandboxGateway::memberId},
            {"bit_reference", "BIT-" + std::to_string(id)},
            {"h_program_id", 1},
            {"h_bit_category", category},
            {"status", "SUCCESS"},
            {"processed_date", dateText(date + 2s, true)},
            {"is_cancelled", false},
            {"errors", nullptr},
            {"country", "GB"},
            {"region", "England"},
            {"city", "London"},
            {"header", JsonObject{{"h_bit_type", type}, {"h_bit_category", category}, {"h_program_id", 1}}},
            {"offer_actions", JsonArray{}},
            {"payment_details", JsonArray{}},
            {"lines", JsonArray{}},
            {"points_reset", false}};
}

void atSponsor(JsonObject& bit, const Sponsor& sponsor) {
    bit["h_sponsor_id"] = sponsor.id;
    bit["h_location"] = sponsor.location;
    bit["h_location_name"] = sponsor.locationName;
    bit["area"] = sponsor.area;
    bit["sponsor_name"] = sponsor.name;
    bit["sponsor_short_name"] = sponsor.shortName;
    bit["sponsor_logo"] = logoOf(sponsor);
    bit["header"].as_object()["h_sponsor_id"] = sponsor.id;
}

/// A point transfer between Ada and `other`; `before` is Ada's balance before it.
JsonObject transferRecord(std::int64_t id, Date date, std::string dateText, const Friend& other, bool outgoing,
                          double points, double before) {
    JsonObject bit = record(id, date, false, "ACCRUAL", "POINTS_TRANSFER");
    bit["h_bit_date"] = std::move(dateText);
    auto& header = bit["header"].as_object();
    header["activity_referrer"] = outgoing ? SandboxGateway::memberId : other.id;
    header["h_member_id"] = outgoing ? other.id : SandboxGateway::memberId;
    header["transfer_amount"] = points;
    bit["h_sponsor_id"] = 1;
    bit["offer_actions"] = JsonArray{transferAction(other, outgoing, points)};
    bit["points_rewarded"] = !outgoing;
    bit["points_redeemed"] = outgoing;
    bit["loyalty_balances"] = JsonArray{balanceChange(outgoing ? 0 : points, outgoing ? points : 0, before)};
    return bit;
}

/// Ada's activity, oldest first: purchases earning points (some with an offer's bonus), reward
/// redemptions and transfers with two friends, ending at her current balance.
struct History {
    double opening = 0;  // points held before the first record
    std::vector<JsonObject> records;
    std::vector<std::pair<std::int64_t, JsonArray>> accruals;  // by record id
};

History makeHistory(double currentBalance, Date newest) {
    struct Step {
        char kind;  // 'a' accrual, 'r' redemption, 'i' transfer in, 'o' transfer out
        double points;
        double amount;
    };
    std::vector<Step> steps;
    double net = 0;
    for (int i = 0; i < kRecords; ++i) {
        Step step{'a', 0, 0};
        if (i % 7 == 3) step = {'r', (i / 7) % 2 == 0 ? 300.0 : 500.0, 0};
        else if (i % 11 == 5) step = {'i', 50, 0};
        else if (i % 11 == 10) step = {'o', 100, 0};
        else {
            step.amount = 4.5 + (i * 37) % 60 + 0.25 * (i % 4);
            step.points = std::floor(step.amount * 2) + (i % 3 == 0 ? 20 : 0);
        }
        net += step.kind == 'a' || step.kind == 'i' ? step.points : -step.points;
        steps.push_back(step);
    }

    History history;
    history.opening = currentBalance - net;
    double balance = history.opening;
    std::int64_t accrualId = 9001;
    for (int i = 0; i < kRecords; ++i) {
        const Step& step = steps[static_cast<std::size_t>(i)];
        const std::int64_t id = kFirstBitId + i;
        const Date date = newest - std::chrono::hours(31) * (kRecords - 1 - i) + std::chrono::minutes(i * 17 % 60) +
                          std::chrono::seconds(i * 7 % 60) + std::chrono::milliseconds(i * 137 % 1000);
        const Sponsor& sponsor = kSponsors[static_cast<std::size_t>(i) % std::size(kSponsors)];
        const Friend& other = kFriends[static_cast<std::size_t>(i) % std::size(kFriends)];
        JsonObject bit;
        if (step.kind == 'i' || step.kind == 'o') {
            bit = transferRecord(id, date, dateText(date), other, step.kind == 'o', step.points, balance);
        } else if (step.kind == 'r') {
            bit = record(id, date, i % 4 == 0, "REDEMPTION", "REWARD_REDEMPTION");
            atSponsor(bit, sponsor);
            bit["points_redeemed"] = true;
            bit["loyalty_balances"] = JsonArray{balanceChange(0, step.points, balance)};
            const char* reward = step.points > 300 ? "Afternoon tea for two" : "Free flat white";
            bit["lines"] = JsonArray{JsonObject{{"reward", reward}, {"quantity", 1}, {"points", step.points}}};
        } else {
            bit = record(id, date, i % 4 == 0, "ACCRUAL", "PURCHASE");
            atSponsor(bit, sponsor);
            auto& header = bit["header"].as_object();
            header["h_bit_amount"] = step.amount;
            header["h_bit_currency"] = "GBP";
            header["h_bit_source_generated_id"] = "POS-" + std::to_string(700000 + i * 13);
            bit["points_rewarded"] = true;
            bit["payment_details"] = JsonArray{JsonObject{{"amount", std::llround(step.amount)},
                                                          {"payment_method", i % 2 == 0 ? "CARD" : "CASH"}}};
            bit["loyalty_balances"] = JsonArray{balanceChange(step.points, 0, balance)};
            bit["lines"] = JsonArray{JsonObject{{"sku", "SKU-" + std::to_string(100 + i % 9)},
                                                {"description", "Item " + std::to_string(i % 9 + 1)},
                                                {"quantity", 1 + i % 3},
                                                {"line_amount", step.amount}}};
            const bool bonus = i % 3 == 0;
            if (bonus) {
                bit["offer_id"] = "OF-21";
                bit["offer_actions"] = JsonArray{JsonObject{
                    {"type", "REWARD_POINTS"}, {"offer_id", "OF-21"}, {"offer_name", "20 bonus Stars over £10"},
                    {"rule_id", "R-5"}, {"subject", "h_bit_amount"}, {"subject_name", "Amount"},
                    {"subject_type", "NUMBER"}, {"operator", "GTE"}, {"value_n", 10}, {"privilege_quantity", 0},
                    {"reward_tags", JsonArray{"bonus"}}, {"privilege_codes", JsonArray{}}, {"pending_days", 0}}};
            }
            const double base = step.points - (bonus ? 20 : 0);
            const std::string accrued = dateText(date);
            const auto accrual = [&](double points, const char* earnType) {
                return JsonObject{{"id", accrualId++}, {"accrual_date", accrued},
                                  {"expiration_date", dateText(date + std::chrono::days(365))},
                                  {"member_id", SandboxGateway::memberId}, {"account_id", 1}, {"bit_id", id},
                                  {"balance_points", points}, {"actual_points", points}, {"expired_points", 0},
                                  {"reset_points", 0}, {"points_reset_date", nullptr},
                                  {"original_member_id", SandboxGateway::memberId}, {"reward_tag_id", 2},
                                  {"sponsor_id", sponsor.id}, {"original_accrual_id", nullptr},
                                  {"billing_rate", 0.01}, {"billing_amount", points * 0.01}, {"earn_type", earnType},
                                  {"reward_tags", JsonArray{earnType}}, {"redemptions", JsonArray{}}};
            };
            JsonArray details{accrual(base, "BASE")};
            if (bonus) details.emplace_back(accrual(20, "BONUS"));
            history.accruals.emplace_back(id, std::move(details));
        }
        balance += step.kind == 'a' || step.kind == 'i' ? step.points : -step.points;
        history.records.push_back(std::move(bit));
    }
    return history;
}

/// Spends the points of each redemption oldest first, the way the platform does: the points
/// held before the first record, then the accruals, each recording the redemptions that used it.
void spendAccruals(History& history) {
    std::vector<JsonObject*> accruals;
    for (auto& [id, details] : history.accruals)
        for (auto& detail : details) accruals.push_back(&detail.as_object());
    double opening = history.opening;
    std::size_t next = 0;  // the oldest accrual with points left
    for (const auto& bit : history.records) {
        if (bit.at("h_bit_category").as_string() != "REDEMPTION") continue;
        double owed = bit.at("loyalty_balances").at(0).at("redeemed").to_number<double>();
        const double held = std::min(opening, owed);
        opening -= held;
        owed -= held;
        while (owed > 0 && next < accruals.size()) {
            auto& accrual = *accruals[next];
            const double left = accrual.at("balance_points").to_number<double>();
            const double used = std::min(left, owed);
            accrual["balance_points"] = left - used;
            accrual["redemptions"].as_array().push_back(JsonObject{
                {"id", 7000 + bit.at("id").as_int64()}, {"account_id", 1}, {"redemption_date", bit.at("h_bit_date")},
                {"member_id", SandboxGateway::memberId}, {"bit_id", bit.at("id")},
                {"points_redeemed", std::llround(used)}, {"accrual_id", accrual.at("id")},
                {"original_member_id", SandboxGateway::memberId}, {"use_type", "REWARD"}, {"payment_rate", 1},
                {"payment_amount", std::llround(used)}, {"bit_reference", bit.at("bit_reference")}});
            owed -= used;
            if (left - used <= 0) ++next;
        }
    }
}

/// The page of `records` (newest first) a query asks for, with "prev" and "next" cursors that
/// repeat the query with another "page".
test::Reply page(const SandboxGateway& gateway, const test::RecordedRequest& request,
                 const std::vector<JsonValue>& records) {
    const auto number = [&](std::string_view key, std::int64_t fallback) {
        const auto text = queryValue(request, key);
        try {
            return text ? std::max<std::int64_t>(1, std::stoll(*text)) : fallback;
        } catch (const std::exception&) {
            return fallback;
        }
    };
    const std::int64_t size = std::min<std::int64_t>(number("page_size", kDefaultPageSize), 100);
    const std::int64_t index = number("page", 1);
    const auto count = static_cast<std::int64_t>(records.size());
    const std::int64_t first = std::min(count, (index - 1) * size);
    const JsonArray content(records.begin() + first, records.begin() + std::min(count, first + size));

    std::string others;  // the query without its "page"
    for (std::size_t start = 0; start < request.query.size();) {
        const std::size_t end = std::min(request.query.find('&', start), request.query.size());
        const std::string_view item = std::string_view(request.query).substr(start, end - start);
        if (!item.starts_with("page=")) others.append(item).append("&");
        start = end + 1;
    }
    const auto cursor = [&](std::int64_t to) {
        return gateway.gatewayURL() + "/bits/?" + others + "page=" + std::to_string(to);
    };
    test::Reply reply = json(content);
    if (index > 1) reply.headers.set("prev", cursor(index - 1));
    if (first + size < count) reply.headers.set("next", cursor(index + 1));
    return reply;
}

bool matches(const JsonValue& bit, const test::RecordedRequest& request) {
    const auto wanted = [&](std::string_view key, std::string_view actual) {
        const auto value = queryValue(request, key);
        return !value || value->empty() || *value == actual;
    };
    const auto& record = bit.as_object();
    const std::string_view day = std::string_view(record.at("h_bit_date").as_string()).substr(0, 10);
    const auto from = queryValue(request, "date_from");
    const auto to = queryValue(request, "date_to");
    return wanted("member_id", SandboxGateway::memberId) &&
           wanted("bit_category", record.at("h_bit_category").as_string()) &&
           wanted("h_bit_type", record.at("header").at("h_bit_type").as_string()) &&
           (!from || day >= std::string_view(*from).substr(0, 10)) &&
           (!to || day <= std::string_view(*to).substr(0, 10));
}

JsonObject receipt(std::string id, const Sponsor& sponsor, JsonObject fields) {
    JsonObject stored{{"id", std::move(id)}, {"member", SandboxGateway::memberId}, {"sponsor", sponsor.id},
                      {"sponsor_name", sponsor.name}, {"sponsor_short_name", sponsor.shortName},
                      {"sponsor_logo", logoOf(sponsor)},
                      {"location_name", sponsor.locationName}};
    for (auto& [key, value] : fields) stored[key] = std::move(value);
    return stored;
}

struct State {
    std::mutex mutex;
    std::vector<JsonValue> bits;  // newest first
    std::int64_t nextBitId = kFirstBitId + kRecords;
    std::vector<JsonValue> receipts;  // newest first
};

}  // namespace

void scriptActivity(SandboxGateway& gateway) {
    auto state = std::make_shared<State>();
    const Date newest = std::chrono::sys_days(std::chrono::year{2024} / 6 / 28) + 17h;
    History history = makeHistory(gateway.balance(), newest);
    spendAccruals(history);
    state->bits.assign(history.records.rbegin(), history.records.rend());
    state->receipts = {
        receipt("RC-0002", kSponsors[1],
                {{"receipt_number", "DEB-55120"}, {"transaction_amount", 18.99}, {"currency", "GBP"},
                 {"transaction_date", "2024-06-20"}, {"status", "REJECTED"}, {"process", "MANUAL_REVIEW"},
                 {"rejection_reason", "The receipt is older than 30 days."},
                 {"receipt_image_urls", JsonArray{"https://cdn.example.com/receipts/rc-0002.jpg"}},
                 {"created_ts", "2024-06-21T09:12:44+0000"}, {"updated_ts", "2024-06-22T11:00:03+0000"}}),
        receipt("RC-0001", kSponsors[0],
                {{"receipt_number", "ANC-90871"}, {"transaction_amount", 7.4}, {"currency", "GBP"},
                 {"transaction_date", "2024-06-14"}, {"status", "APPROVED"}, {"process", "SCANNED"},
                 {"bit_reference", "BIT-4051"}, {"location", "LDN-017"},
                 {"receipt_image_urls", JsonArray{"https://cdn.example.com/receipts/rc-0001.jpg"}},
                 {"created_ts", "2024-06-14T16:40:02+0000"}, {"updated_ts", "2024-06-14T16:40:09+0000"}}),
    };

    gateway.onAuthorised("GET", "/bits/", [&gateway, state](const test::RecordedRequest& request) {
        std::vector<JsonValue> found;
        {
            std::lock_guard lock(state->mutex);
            std::ranges::copy_if(state->bits, std::back_inserter(found),
                                 [&](const JsonValue& bit) { return matches(bit, request); });
        }
        return page(gateway, request, found);
    });

    for (auto& [id, details] : history.accruals) {
        gateway.onAuthorised("GET", "/bits/" + std::to_string(id) + "/accruals/",
                             [details = std::move(details)](const test::RecordedRequest&) { return json(details); });
    }

    gateway.onAuthorised("POST", "/bit/", [&gateway, state](const test::RecordedRequest& request) {
        const JsonObject transfer = body(request);
        if (text(transfer, "h_bit_type") != "POINTS_TRANSFER")
            return error(400, "unsupported_bit_type", "Only point transfers can be posted here.");
        if (text(transfer, "activity_referrer") != SandboxGateway::memberId)
            return error(403, "transfer_not_allowed", "Points can only be sent from your own account.");
        const Friend* other = findFriend(text(transfer, "h_member_id"));
        if (other == nullptr) return error(404, "member_not_found", "No member has that id.");
        const JsonValue* amount = transfer.if_contains("transfer_amount");
        if (amount == nullptr || !amount->is_number() || !(amount->to_number<double>() > 0))
            return error(400, "invalid_amount", "The amount must be a positive number of points.");
        const double points = amount->to_number<double>();

        std::lock_guard lock(state->mutex);
        const double before = gateway.balance();
        if (points > before - kPendingPoints)
            return error(400, "insufficient_points", "Not enough available points for this transfer.");
        const std::int64_t id = state->nextBitId++;
        const JsonObject bit = transferRecord(id, std::chrono::system_clock::now(), text(transfer, "h_bit_date"),
                                              *other, true, points, before);
        state->bits.insert(state->bits.begin(), bit);
        gateway.adjustBalance(-points);
        return json(JsonObject{{"original_bit", bit},
                               {"member", gateway.profile()},
                               {"offer_actions", bit.at("offer_actions")},
                               {"assigned_privileges", JsonArray{}},
                               {"availed_privileges", JsonArray{}},
                               {"loyalty_accounts", bit.at("loyalty_balances")},
                               {"mtomap", JsonObject{{"channel", "app"}, {"recipient", other->id}}},
                               {"processingDate", bit.at("processed_date")},
                               {"bitId", std::to_string(id)},
                               {"points_rewarded", false},
                               {"points_redeemed", true},
                               {"status", "SUCCESS"},
                               {"member_id", SandboxGateway::memberId}});
    });

    gateway.onAuthorised("GET", "/receipts/", [state](const test::RecordedRequest&) {
        std::lock_guard lock(state->mutex);
        return json(JsonArray(state->receipts.begin(), state->receipts.end()));
    });

    gateway.onAuthorised("POST", "/receipts/", [state](const test::RecordedRequest& request) {
        JsonObject upload = body(request);
        const JsonValue* sponsorId = upload.if_contains("sponsor");
        const Sponsor* sponsor =
            sponsorId != nullptr && sponsorId->is_int64() ? findSponsor(sponsorId->as_int64()) : nullptr;
        if (sponsor == nullptr) return error(400, "invalid_sponsor", "The sponsor does not take receipts.");
        if (text(upload, "member") != SandboxGateway::memberId)
            return error(403, "member_mismatch", "Receipts can only be uploaded for yourself.");
        const std::string now = dateText(std::chrono::system_clock::now());
        upload["status"] = "PENDING";
        upload["process"] = "MANUAL_REVIEW";
        upload["created_ts"] = now;
        upload["updated_ts"] = now;
        std::lock_guard lock(state->mutex);
        std::array<char, 16> id{};
        std::snprintf(id.data(), id.size(), "RC-%04zu", state->receipts.size() + 1);
        JsonObject stored = receipt(id.data(), *sponsor, std::move(upload));
        state->receipts.insert(state->receipts.begin(), stored);
        return json(stored, 201);
    });

    gateway.onAuthorised("GET", "/receipts/config/", [](const test::RecordedRequest&) {
        JsonArray configs;
        for (const Sponsor& sponsor : kSponsors)
            configs.emplace_back(JsonObject{{"id", configs.size() + 1}, {"sponsor", sponsor.id},
                                            {"partnered_sponsor", sponsor.id != 12},
                                            {"scannable_receipts", sponsor.id == 3 || sponsor.id == 5}});
        return json(configs);
    });
}

}  // namespace lumeno::sandbox
