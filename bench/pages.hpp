#pragma once

// The replies the benchmarks read: pages of realistic offers and member profiles, and a small
// reply (also what the call benchmark's server answers), as JSON text.

#include <boost/json.hpp>

#include <string>

#include "lumeno/core/json/json.hpp"
#include "support/offer_sample.hpp"

namespace lumeno::bench {

inline constexpr int kOffers = 300;
inline constexpr int kMembers = 760;

/// A page of `count` offers: the sample offer over and over, each with its own ids, names and dates.
inline std::string offersPage(int count) {
    const JsonValue sample = boost::json::parse(test::realisticOffer);
    JsonArray offers;
    for (int i = 0; i < count; ++i) {
        JsonObject offer = sample.as_object();
        const std::string n = std::to_string(i);
        offer["id"] = 4000 + i;
        offer["offer_name"] = "Double points on weekend brunch #" + n;
        offer["start_date"] = "2024-03-" + std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1) +
                              "T00:00:00+0800";
        offer["primary_sponsor_data"].as_object()["id"] = 10 + i % 40;
        offer["primary_sponsor_data"].as_object()["name"] = "Cafe Central " + n;
        for (auto& product : offer["products"].as_array()) product.as_object()["id"] = 800 + 2 * i;
        offers.push_back(std::move(offer));
    }
    return boost::json::serialize(offers);
}

/// One member profile as the member look-ups list them: balances, favourite sponsors, attributes.
inline constexpr const char* kMemberProfile = R"({
  "id": "M1000234", "first_name": "Maria Clara", "last_name": "Santos-Reyes", "email": "maria.santos@example.com",
  "mobile": "+639171234567", "date_of_birth": "1988-07-14",
  "profile_image": "https://cdn.example.com/members/M1000234/profile.jpg", "status": "ACTIVE",
  "balances": [{"loyalty_account_id": 12, "loyalty_account": "Points", "balance": 15230.5},
               {"loyalty_account_id": 13, "loyalty_account": "Tier credits", "balance": 420}],
  "token": null, "expires_in": "3600",
  "favorite_sponsors": [{"id": 41, "sponsor": 12, "sponsor_name": "Cafe Central", "sponsor_short_name": "CC"},
                        {"id": 42, "sponsor": 31, "sponsor_name": "Metro Fuel", "sponsor_short_name": "MF"},
                        {"id": 43, "sponsor": 57, "sponsor_name": "Book Nook", "sponsor_short_name": "BN"}],
  "extra_data": {"tier": "GOLD", "member_since": "2016-02-01", "preferred_store": "Legaspi", "newsletter": true,
                 "household_size": 4, "referral_code": "MCS-88-ABQ", "segment": "weekend-diner",
                 "home_city": "Makati", "preferred_language": "en-PH", "sms_opt_in": false,
                 "last_visit": "2024-05-18T10:42:00+0800", "lifetime_points": 184230.75,
                 "favourite_category": "Food and Beverage", "card_number": "6048 1122 3344 5566"},
  "address": {"line1": "Unit 12B, Tower 2, Salcedo Residences", "city": "Makati", "zip": "1227"},
  "notes": "Prefers e-mail contact. Eligible for the anniversary upgrade in July."
})";

/// The members page: the sample profile 760 times over, each with its own id, address and balance.
inline std::string membersPage() {
    const JsonValue sample = boost::json::parse(kMemberProfile);
    JsonArray members;
    for (int i = 0; i < kMembers; ++i) {
        JsonObject member = sample.as_object();
        // Built by appending: `"M" + std::string` raises GCC 12's false -Wrestrict at -O3.
        member["id"] = std::string("M").append(std::to_string(1000000 + i));
        member["email"] = std::string("member").append(std::to_string(i)).append("@example.com");
        member["balances"].as_array()[0].as_object()["balance"] = 100.25 * i;
        members.push_back(std::move(member));
    }
    return boost::json::serialize(members);
}

/// A point balance, as the balance call returns it: a reply of the size most replies have.
inline constexpr const char* kPointBalance =
    R"({"member_id":"M1","loyalty_account_id":"12","total_points":1200.5,"available_points":1000.25,"pending_points":200.25})";

}  // namespace lumeno::bench
