// Thirty sponsors, half in London and half in Paris, two locations each; the merchant PIN check,
// the sponsors' base rates and the programme's point-conversion rates.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

/// Every merchant's PIN in the sandbox.
constexpr std::string_view kMerchantPin = "0042";

struct City {
    const char* name;
    std::int64_t id;
    std::int64_t country;
    const char* countryName;
    const char* region;
    double latitude;
    double longitude;
};
constexpr City kLondon{"London", 100, 44, "United Kingdom", "Greater London", 51.5074, -0.1278};
constexpr City kParis{"Paris", 200, 33, "France", "Île-de-France", 48.8566, 2.3522};

struct SponsorEntry {
    const char* name;
    const char* industry;
    const City* city;
};
/// Sponsor n (from 1) is entry n - 1, fifteen in each city; the names of the offers' sponsors
/// are those the offers give.
constexpr SponsorEntry kSponsors[] = {
    {"Lumeno Rewards", "Programme", &kLondon},           {"Byron Bakery", "Food & Beverage", &kLondon},
    {"Analytical Coffee", "Food & Beverage", &kLondon},  {"Somerville Stationers", "Retail", &kLondon},
    {"Difference Engine Books", "Retail", &kLondon},     {"Faraday Fitness", "Sports", &kLondon},
    {"Jacquard Looms", "Fashion", &kLondon},             {"Brunel Rail", "Travel", &kLondon},
    {"Babbage Cycles", "Sports", &kLondon},              {"Herschel Optics", "Retail", &kLondon},
    {"Countess Cinemas", "Entertainment", &kLondon},     {"Engine Museum", "Culture", &kLondon},
    {"Menabrea Travel", "Travel", &kLondon},             {"Café Arago", "Food & Beverage", &kParis},
    {"Boulangerie Germain", "Food & Beverage", &kParis}, {"Théâtre Babbage", "Entertainment", &kParis},
    {"Bernoulli Bakery", "Food & Beverage", &kLondon},   {"Librairie Laplace", "Retail", &kParis},
    {"Note G Grocers", "Grocery", &kLondon},             {"Musée des Métiers", "Culture", &kParis},
    {"Vélo Menabrea", "Travel", &kParis},                {"Fromagerie Fourier", "Grocery", &kParis},
    {"Pâtisserie Poisson", "Food & Beverage", &kParis},  {"Opticien Foucault", "Retail", &kParis},
    {"Cinéma Lumière", "Entertainment", &kParis},        {"Marché Lagrange", "Grocery", &kParis},
    {"Salle Pascal", "Sports", &kParis},                 {"Fleurs de Montmartre", "Retail", &kParis},
    {"Tissus Jacquard", "Fashion", &kParis},             {"Bistro Cauchy", "Food & Beverage", &kParis},
};
constexpr std::int64_t kSponsorCount = std::size(kSponsors);

const City& cityOf(std::int64_t id) { return *kSponsors[id - 1].city; }
std::string nameOf(std::int64_t id) { return kSponsors[id - 1].name; }
std::string logoOf(std::int64_t id) { return "https://cdn.example.com/sponsors/" + std::to_string(id) + ".png"; }

JsonArray timings(std::int64_t firstId) {
    JsonArray out;
    for (std::int64_t day = 1; day <= 6; ++day)
        out.push_back(JsonObject{{"id", firstId + day}, {"day", day}, {"open_time", "08:00"},
                                 {"close_time", day == 6 ? "14:00" : "19:00"}});
    return out;
}

JsonObject sponsor(std::int64_t id) {
    const City& city = cityOf(id);
    const std::string name = nameOf(id);
    return {{"id", id}, {"name", name}, {"short_name", name.substr(0, name.find(' '))}, {"brand_name", name},
            {"rank", id}, {"is_host", id == 1}, {"description", name + " welcomes programme members."},
            {"address", std::to_string(id) + " High Street, " + city.name},
            {"phone_number", std::string(city.country == 44 ? "+44 20 7946 0" : "+33 1 70 36 0") + std::to_string(100 + id)},
            {"status", "ACTIVE"}, {"industry", kSponsors[id - 1].industry}, {"logo", logoOf(id)},
            {"header", "https://cdn.example.com/sponsors/" + std::to_string(id) + "-header.png"},
            {"start_date", "2023-01-01"}, {"contact_person_name", "Front desk"},
            {"email", "hello@sponsor" + std::to_string(id) + ".example.com"}, {"country", city.country},
            {"region", city.region}, {"city", city.id}, {"country_name", city.countryName},
            {"state_name", city.region}, {"city_name", city.name}, {"sponsor_timings", timings(id * 10)},
            {"extra_data", JsonObject{{"tier", id % 3 == 0 ? "gold" : "silver"}}}};
}

JsonObject trimmed(std::int64_t id) {
    JsonObject full = sponsor(id);
    JsonObject out;
    for (const char* key : {"id", "name", "short_name", "brand_name", "is_host", "description", "logo", "header",
                            "status", "industry", "extra_data"})
        out[key] = full.at(key);
    return out;
}

/// The sponsor's two locations, spread over a few kilometres around its city's centre.
JsonArray locationsOf(std::int64_t id) {
    const City& city = cityOf(id);
    const std::int64_t i = id % 13;
    JsonArray out;
    for (std::int64_t k = 0; k < 2; ++k) {
        const std::int64_t locationId = id * 100 + k + 1;
        out.push_back(JsonObject{
            {"id", locationId}, {"sponsor", id}, {"sponsor_name", nameOf(id)}, {"sponsor_logo", logoOf(id)},
            {"location_name", nameOf(id) + (k == 0 ? " Central" : " North")},
            {"location_code", "L-" + std::to_string(locationId)},
            {"address", std::to_string(10 + i + k * 40) + (k == 0 ? " Market Street, " : " Park Road, ") + city.name},
            {"location_type", "STORE"}, {"latitude", city.latitude + 0.004 * static_cast<double>((i * 5 + k * 7) % 13 - 6)},
            {"longitude", city.longitude + 0.006 * static_cast<double>((i * 3 + k * 11) % 13 - 6)},
            {"distance", 0}, {"active", true}, {"location_timings", timings(locationId * 10)}, {"offers", JsonArray{}},
            {"extra_data", JsonObject{{"wifi", k == 0}}}});
    }
    return out;
}

/// Kilometres between two points on the Earth's surface.
double distanceKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double radians = std::numbers::pi / 180;
    const double dLat = (lat2 - lat1) * radians, dLon = (lon2 - lon1) * radians;
    const double a = std::pow(std::sin(dLat / 2), 2) +
                     std::cos(lat1 * radians) * std::cos(lat2 * radians) * std::pow(std::sin(dLon / 2), 2);
    return 2 * 6371.0 * std::asin(std::sqrt(a));
}

/// The locations a query selects: of "sponsor_id" when given; with "latitude" and "longitude",
/// nearest first, each with its "distance" in kilometres, within "radius" when given.
JsonArray selectLocations(const JsonArray& all, const test::RecordedRequest& request) {
    const auto sponsorId = queryNumber<std::int64_t>(request, "sponsor_id");
    const auto latitude = queryNumber<double>(request, "latitude");
    const auto longitude = queryNumber<double>(request, "longitude");
    const auto radius = queryNumber<double>(request, "radius");
    JsonArray out;
    for (const auto& value : all) {
        JsonObject location = value.as_object();
        if (sponsorId && location.at("sponsor") != *sponsorId) continue;
        if (latitude && longitude) {
            const double km = distanceKm(*latitude, *longitude, location.at("latitude").as_double(),
                                         location.at("longitude").as_double());
            if (radius && km > *radius) continue;
            location["distance"] = std::round(km * 100) / 100;
        }
        out.push_back(std::move(location));
    }
    if (latitude && longitude)
        std::ranges::stable_sort(out, {}, [](const JsonValue& l) { return l.at("distance").as_double(); });
    return out;
}

JsonArray pointConversionRates(std::string_view policy, std::int64_t loyaltyAccount) {
    const bool award = policy == "Award";
    JsonArray out;
    for (const auto& [id, currency] : {std::pair<std::int64_t, const char*>{1, "GBP"}, {2, "EUR"}})
        out.push_back(JsonObject{{"id", id + (award ? 0 : 10)}, {"loyalty_account", loyaltyAccount},
                                 {"currency_code", currency}, {"conversion_rate", award ? 0.01 : 0.005},
                                 {"policy_type", policy}, {"version_counter", 2}, {"conversion_value", 1},
                                 {"currency_value", award ? 100 : 200}});
    return out;
}

}  // namespace

void scriptSponsors(SandboxGateway& gateway) {
    JsonArray sponsors, trimmedSponsors, locations;
    for (std::int64_t id = 1; id <= kSponsorCount; ++id) {
        sponsors.push_back(sponsor(id));
        trimmedSponsors.push_back(trimmed(id));
        for (auto& location : locationsOf(id)) locations.push_back(std::move(location));
    }

    gateway.onAuthorised("GET", "/sponsors/", [&gateway, sponsors](const test::RecordedRequest& request) {
        const auto industry = queryValue(request, "industry");
        JsonArray selected;
        std::ranges::copy_if(sponsors, std::back_inserter(selected),
                             [&](const JsonValue& s) { return !industry || text(s.as_object(), "industry") == *industry; });
        return page(gateway, request, selected, "page_size", 10);
    });
    gateway.onAuthorised("GET", "/trim/sponsors", [&gateway, trimmedSponsors](const test::RecordedRequest& request) {
        return page(gateway, request, trimmedSponsors, "page_size", 30);
    });
    gateway.onAuthorised("GET", "/locations/", [&gateway, locations](const test::RecordedRequest& request) {
        return page(gateway, request, selectLocations(locations, request), "limit", 10);
    });

    for (std::int64_t id = 1; id <= kSponsorCount; ++id) {
        const std::string tail = "/sponsors/" + std::to_string(id) + "/";
        gateway.onAuthorised("GET", tail, [one = sponsors.at(id - 1)](const test::RecordedRequest&) { return json(one); });
        gateway.onAuthorised("POST", tail + "pin/", [](const test::RecordedRequest& request) {
            if (text(body(request), "pin") != kMerchantPin) return error(400, "invalid_pin", "The PIN is wrong.");
            return json(JsonObject{{"verified", true}});
        });
        gateway.onAuthorised("GET", tail + "base-rates/", [id](const test::RecordedRequest& request) {
            const auto account = queryNumber<std::int64_t>(request, "loyalty_account");
            if (!account) return error(400, "invalid", "loyalty_account is a whole number.");
            return json(JsonArray{JsonObject{
                {"id", id * 10 + 1}, {"sponsor", id}, {"base_rate", 1 + static_cast<double>(id % 4) / 2},
                {"loyalty_account", *account}, {"currency_code", cityOf(id).country == 44 ? "GBP" : "EUR"},
                {"status", "ACTIVE"}, {"start_date", "2024-01-01"}, {"end_date", nullptr}, {"version_counter", 1}}});
        });
    }

    gateway.onAuthorised("GET", "/point-conversion-rates/list/", [](const test::RecordedRequest& request) {
        const auto policy = queryValue(request, "policy_type");
        const auto account = queryNumber<std::int64_t>(request, "loyalty_account_id");
        if (!account || (policy != "Award" && policy != "Reward"))
            return error(400, "invalid", "A loyalty account and the policy Award or Reward are required.");
        return json(pointConversionRates(*policy, *account));
    });
}

}  // namespace lumeno::sandbox
