// Offers, bookings and the wish list: a catalogue of generated offers from eight sponsors around
// London, paged newest first with "prev" and "next" cursors, and the member's actions, bookings
// and wish list, remembered while the sandbox runs.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ranges>

#include <boost/json.hpp>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

using std::int64_t;

struct Place {
    const char* code;
    const char* name;
    const char* address;
    double latitude, longitude;
};

struct Brand {
    int64_t id;
    const char* name;
    const char* shortName;
    const char* industry;
    const char* category;  ///< the offers' category tag, as the category filter matches it
    std::array<Place, 2> places;
    std::array<const char*, 4> titles;  ///< "#" stands for the offer's figure
    const char* product;
    double price;
};

// Sponsor 3 is the member's favourite (see the profile).
const Brand brands[] = {
    {3, "Analytical Coffee", "AnCo", "Food & Beverage", "coffee",
     {{{"ANCO-KX", "King's Cross", "12 Pancras Square, London N1C 4AG", 51.5347, -0.1246},
       {"ANCO-SOH", "Soho", "48 Greek Street, London W1D 4EF", 51.5136, -0.1316}}},
     {"#% off any flat white", "Double Stars before # am", "Free pastry with # coffees", "Buy #, get one free"},
     "Flat white", 3.40},
    {5, "Difference Engine Books", "DEB", "Retail", "books",
     {{{"DEB-BLO", "Bloomsbury", "3 Museum Street, London WC1A 1LY", 51.5175, -0.1250},
       {"DEB-GRN", "Greenwich", "27 Nelson Road, London SE10 9JB", 51.4811, -0.0090}}},
     {"#% off hardbacks", "# bonus Stars on paperbacks", "Second book half price, # titles", "Signed edition draw #"},
     "Hardback novel", 18.99},
    {7, "Jacquard Looms", "JQL", "Fashion", "fashion",
     {{{"JQL-COV", "Covent Garden", "15 Floral Street, London WC2E 9DH", 51.5125, -0.1245},
       {"JQL-SHO", "Shoreditch", "81 Redchurch Street, London E2 7DJ", 51.5241, -0.0759}}},
     {"#% off woven scarves", "Free tailoring over £#", "# Stars per £1 on knitwear", "Early access sale #"},
     "Wool scarf", 45.00},
    {9, "Babbage Cycles", "BabC", "Sports", "cycling",
     {{{"BABC-HOX", "Hoxton", "120 Hoxton Street, London N1 6SH", 51.5311, -0.0790},
       {"BABC-BAT", "Battersea", "9 Battersea Square, London SW11 3RA", 51.4793, -0.1711}}},
     {"#% off a full service", "Free puncture repair, # per year", "£# off helmets", "# bonus Stars on e-bikes"},
     "Full service", 79.00},
    {11, "Countess Cinemas", "CCin", "Entertainment", "cinema",
     {{{"CCIN-LSQ", "Leicester Square", "5 Leicester Square, London WC2H 7NA", 51.5103, -0.1301},
       {"CCIN-ISL", "Islington", "18 Upper Street, London N1 0PQ", 51.5362, -0.1033}}},
     {"# for 1 on Tuesdays", "#% off popcorn combos", "Free upgrade to recliner, # seats", "Member preview night #"},
     "Standard ticket", 14.50},
    {13, "Menabrea Travel", "MenT", "Travel", "travel",
     {{{"MENT-VIC", "Victoria", "101 Buckingham Palace Road, London SW1W 9SJ", 51.4952, -0.1441},
       {"MENT-CAN", "Canary Wharf", "1 Cabot Square, London E14 4QJ", 51.5049, -0.0214}}},
     {"#x Stars on city breaks", "£# off rail passes", "Free seat selection on # routes", "Lounge pass for #"},
     "City break", 349.00},
    {17, "Bernoulli Bakery", "BerB", "Food & Beverage", "bakery",
     {{{"BERB-CLE", "Clerkenwell", "44 Exmouth Market, London EC1R 4QE", 51.5262, -0.1091},
       {"BERB-BRI", "Brixton", "7 Atlantic Road, London SW9 8HX", 51.4613, -0.1150}}},
     {"Sourdough at #% off", "Free cookie with # loaves", "# Stars per cake", "Bake-off ticket draw #"},
     "Sourdough loaf", 4.80},
    {19, "Note G Grocers", "NGG", "Grocery", "grocery",
     {{{"NGG-ANG", "Angel", "2 Chapel Market, London N1 9EZ", 51.5340, -0.1080},
       {"NGG-PEC", "Peckham", "133 Rye Lane, London SE15 4ST", 51.4697, -0.0690}}},
     {"#% off your weekly shop", "£# off over £50", "# bonus Stars on fruit", "Free delivery, # slots"},
     "Weekly basket", 62.30},
};

constexpr int64_t offerCount = 130;
constexpr int64_t firstOfferId = 101;
constexpr std::string_view imageHost = "https://cdn.lumeno.example";

/// The day `offset` days from today, in one of the platform's four date formats.
std::string dayText(int offset, int style) {
    using namespace std::chrono;
    const year_month_day day{floor<days>(system_clock::now()) + days(offset)};
    char text[40];
    static const char* const times[] = {"T09:30:00+0000", "T09:30:00.000+0000", "T09:30:00", ""};
    std::snprintf(text, sizeof text, "%04d-%02u-%02u%s", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()), times[style % 4]);
    return text;
}

std::string withFigure(std::string title, int64_t figure) {
    if (const auto mark = title.find('#'); mark != std::string::npos) title.replace(mark, 1, std::to_string(figure));
    return title;
}

JsonObject sponsorJson(const Brand& brand) {
    JsonArray timings;
    for (int day = 1; day <= 7; ++day)
        timings.push_back(JsonObject{{"id", brand.id * 10 + day}, {"day", day}, {"open_time", day > 5 ? "10:00" : "08:00"},
                                     {"close_time", day > 5 ? "17:00" : "20:00"}});
    return JsonObject{
        {"id", brand.id}, {"name", brand.name}, {"short_name", brand.shortName}, {"brand_name", brand.name},
        {"rank", brand.id % 4}, {"is_host", brand.id == 3}, {"description", std::string(brand.name) + ", partner since 2019."},
        {"address", brand.places[0].address}, {"phone_number", "+44 20 7946 0" + std::to_string(100 + brand.id)},
        {"status", "ACTIVE"}, {"industry", brand.industry},
        {"logo", std::string(imageHost) + "/sponsors/" + std::to_string(brand.id) + "/logo.png"},
        {"header", std::string(imageHost) + "/sponsors/" + std::to_string(brand.id) + "/header.jpg"},
        {"url", "https://www.lumeno.example/partners/" + std::to_string(brand.id)}, {"start_date", "2019-04-01"},
        {"end_date", "2030-12-31"}, {"contact_person_name", "Partner desk"},
        {"email", "partners+" + std::to_string(brand.id) + "@lumeno.example"}, {"country", 826}, {"region", "London"},
        {"city", 2643743}, {"country_name", "United Kingdom"}, {"state_name", "England"}, {"city_name", "London"},
        {"sponsor_timings", std::move(timings)}, {"extra_data", JsonObject{{"tier", "gold"}}},
    };
}

JsonObject placeJson(const Brand& brand, std::size_t index) {
    const Place& place = brand.places[index];
    return JsonObject{{"id", brand.id * 100 + static_cast<int64_t>(index) + 1}, {"location_name", place.name},
                      {"location_code", place.code}, {"latitude", place.latitude}, {"longitude", place.longitude},
                      {"image", std::string(imageHost) + "/locations/" + place.code + ".jpg"},
                      {"address", place.address}};
}

/// One generated offer: the JSON as the platform sends it, less the member's "action" and the
/// distance, which depend on the request.
struct Listing {
    int64_t id = 0;
    const Brand* brand = nullptr;
    bool expired = false;
    JsonObject json;
};

Listing makeListing(int64_t index) {
    const Brand& brand = brands[index % std::size(brands)];
    const int64_t id = firstOfferId + index;
    const int64_t figure = 2 + (index * 7) % 29;
    const std::string title = withFigure(brand.titles[(index / std::size(brands)) % 4], figure);
    const int style = static_cast<int>(index % 4);
    const bool expired = index % 17 == 5;
    const int start = -static_cast<int>(index % 90) - 1;
    const int end = expired ? -static_cast<int>(index % 20) - 1 : 30 + static_cast<int>((index * 37) % 400);
    const std::string images = std::string(imageHost) + "/offers/" + std::to_string(id);
    JsonArray placeIds, places;
    for (std::size_t k = 0; k < brand.places.size(); ++k) {
        if (index % 3 == 2 && k == 1) break;  // some offers run at one location only
        places.push_back(placeJson(brand, k));
        placeIds.push_back(places.back().as_object().at("id"));
    }
    const JsonObject product{
        {"id", id * 10}, {"product", 500 + brand.id}, {"product_name", brand.product},
        {"award_price", std::round(brand.price * 100)}, {"product_cost", brand.price},
        {"product_category", brand.category}, {"product_currency_id", "GBP"}, {"product_currency_name", "Pound sterling"},
        {"product_extra_data", JsonObject{{"sku", std::string(brand.shortName) + "-" + std::to_string(id)}}}};
    JsonArray tags{brand.category};
    if (index % 5 == 0) tags.push_back("featured");
    JsonObject offer{
        {"id", id}, {"status", expired ? "EXPIRED" : "ACTIVE"}, {"offer_name", title}, {"subtitle", brand.name},
        {"offer_type", index % 3 == 0 ? "POINTS" : "DISCOUNT"}, {"price", std::to_string(figure) + ".00"},
        {"offer_description", title + " at " + brand.name + ". Show the offer at the till."},
        {"start_date", dayText(start, style)}, {"end_date", dayText(end, style)}, {"rank", index % 10},
        {"cost", std::to_string(figure * 10)}, {"num_of_clients", "500"}, {"max_usage_per_user", "3"},
        {"offer_acceptance_required", index % 3 == 0}, {"twitter_share", true}, {"fb_share", index % 2 == 0},
        {"offer_launched", true}, {"presentment_description", "Scan at the till before paying."},
        {"sponsors", JsonArray{brand.id}}, {"primary_sponsor", brand.name}, {"primary_sponsor_data", sponsorJson(brand)},
        {"deal_code", std::string(brand.shortName) + "-" + std::to_string(id)}, {"products", JsonArray{product}},
        {"valid_for", "ALL_MEMBERS"}, {"valid_period", "DAILY"}, {"valid_until", dayText(end, 3)},
        {"repeat_weekday", index % 2 == 0 ? "1,2,3,4,5" : "6,7"}, {"repeat_month", nullptr}, {"repeat_day", nullptr},
        {"locations", std::move(placeIds)}, {"locations_data", std::move(places)}, {"launch_date", dayText(start - 7, 0)},
        {"mobile_image", images + "/mobile.jpg"}, {"desktop_image", images + "/desktop.jpg"},
        {"average_rating", static_cast<double>(30 + index % 21) / 10}, {"rating_count", (index * 13) % 250},
        {"availed_total", (index * 31) % 900}, {"availed_unique", (index * 17) % 400}, {"is_base_offer", false},
        {"location_urls", JsonObject{{"website", "https://www.lumeno.example/partners/" + std::to_string(brand.id)},
                                     {"booking", "https://book.lumeno.example/" + std::to_string(id)}}},
        {"location_category", brand.industry},
        {"template_params", JsonObject{{"offer_start_hour", "08"}, {"offer_start_minute", "00"},
                                       {"offer_end_hour", "20"}, {"offer_end_minute", "00"},
                                       {"reward_type", index % 3 == 0 ? "POINTS" : "PERCENT"},
                                       {"reward_value", std::to_string(figure)}, {"reward_multiplier", "1"},
                                       {"reward_bonus", "0"}}},
        {"extra_data", JsonObject{{"channel", "app"}, {"min_spend", figure * 2}}},
        {"term_and_condition", "One per member per visit. Not valid with other offers."},
        {"featured_rank", index % 5 == 0 ? JsonValue(index / 5) : JsonValue(nullptr)}, {"tags", std::move(tags)},
    };
    return {id, &brand, expired, std::move(offer)};
}

/// What the member did with one offer.
struct Action {
    bool accepted = false;
    int64_t rating = 0;
};

/// The member's state, shared by the responders (which run on the server's threads).
struct State {
    std::mutex mutex;
    std::map<int64_t, Action> actions;
    std::vector<int64_t> wishlist;
    std::vector<JsonObject> bookings;  ///< newest last
    int64_t nextBookingId = 9001;
};

struct Catalogue {
    std::vector<Listing> listings;  ///< newest first

    Catalogue() {
        for (int64_t index = offerCount - 1; index >= 0; --index) listings.push_back(makeListing(index));
    }
    const Listing* find(int64_t id) const {
        const auto index = firstOfferId + offerCount - 1 - id;
        return index >= 0 && index < offerCount ? &listings[static_cast<std::size_t>(index)] : nullptr;
    }
};

/// The offer as this member sees it now; the caller holds the state's lock.
JsonObject offerFor(const Listing& listing, const State& state, double distance = 0) {
    JsonObject offer = listing.json;
    const auto action = state.actions.find(listing.id);
    if (action != state.actions.end())
        offer["action"] = JsonObject{{"offer_id", listing.id}, {"accepted", action->second.accepted},
                                     {"rating", action->second.rating}};
    offer["offer_distance"] = distance;
    return offer;
}

/// The whole text as a number; nullopt when it is not one.
template <class Number>
std::optional<Number> parse(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value) : std::nullopt;
}

/// The query item `key`, percent-decoded; nullopt when absent.
std::optional<std::string> param(const test::RecordedRequest& request, const std::string& key) {
    const auto item = request.params.find(key);
    return item == request.params.end() ? std::nullopt : std::optional(item->second);
}

/// Kilometres between two points (equirectangular: close enough within a city).
double kilometres(double latitude1, double longitude1, double latitude2, double longitude2) {
    constexpr double radian = 3.14159265358979323846 / 180;
    const double x = (longitude2 - longitude1) * radian * std::cos((latitude1 + latitude2) / 2 * radian);
    const double y = (latitude2 - latitude1) * radian;
    return std::sqrt(x * x + y * y) * 6371;
}

/// The request's query less its "page" item, plus `page`: the cursor URL of that page.
std::string cursor(const std::string& url, const std::string& query, int64_t page) {
    std::string out = url + "?";
    std::size_t start = 0;
    while (start <= query.size()) {
        const auto end = std::min(query.find('&', start), query.size());
        const std::string_view item(query.data() + start, end - start);
        if (!item.empty() && !item.starts_with("page=")) out.append(item).append("&");
        start = end + 1;
    }
    return out + "page=" + std::to_string(page);
}

/// One page of offers with its cursors; "page_size" between 1 and 100 (50 by default), "page" from 1.
test::Reply page(const std::vector<JsonObject>& offers, const test::RecordedRequest& request, const std::string& url) {
    const auto size = parse<int64_t>(param(request, "page_size").value_or("50"));
    const auto number = parse<int64_t>(param(request, "page").value_or("1"));
    if (!size || *size < 1 || *size > 100) return error(400, "invalid", "page_size must be between 1 and 100.");
    const auto count = static_cast<int64_t>(offers.size());
    const int64_t pages = std::max<int64_t>(1, (count + *size - 1) / *size);
    if (!number || *number < 1 || *number > pages) return error(404, "not_found", "Invalid page.");
    const auto first = offers.begin() + (*number - 1) * *size;
    test::Reply reply = json(JsonArray(first, first + std::min(*size, count - (*number - 1) * *size)));
    if (*number > 1) reply.headers.add("prev", cursor(url, request.query, *number - 1));
    if (*number < pages) reply.headers.add("next", cursor(url, request.query, *number + 1));
    return reply;
}

/// The current offers a listing query selects: by category tag, location code, favourite
/// sponsor or distance from a point ("radius" in km, 10 by default).
test::Reply listOffers(const Catalogue& catalogue, State& state, const test::RecordedRequest& request,
                       const std::string& url) {
    const auto category = param(request, "category"), code = param(request, "location_code");
    const bool favourites = param(request, "favorites") == "True";
    const auto latitude = param(request, "latitude").and_then(parse<double>);
    const auto longitude = param(request, "longitude").and_then(parse<double>);
    const double radius = param(request, "radius").and_then(parse<double>).value_or(10);
    if (latitude.has_value() != longitude.has_value()) return error(400, "invalid", "Send latitude and longitude.");
    std::vector<JsonObject> offers;
    std::lock_guard lock(state.mutex);
    for (const Listing& listing : catalogue.listings) {
        const Brand& brand = *listing.brand;
        if (listing.expired || (category && *category != brand.category) || (favourites && brand.id != 3))
            continue;
        bool atCode = !code;
        std::optional<double> nearest;
        for (const auto& place : listing.json.at("locations_data").as_array()) {
            const auto& location = place.as_object();
            if (code && location.at("location_code").as_string() == *code) atCode = true;
            if (!latitude) continue;
            const double distance = kilometres(*latitude, *longitude, location.at("latitude").as_double(),
                                               location.at("longitude").as_double());
            if (distance <= radius && (!nearest || distance < *nearest)) nearest = distance;
        }
        if (atCode && (!latitude || nearest))
            offers.push_back(offerFor(listing, state, std::round(nearest.value_or(0) * 100) / 100));
    }
    return page(offers, request, url);
}

/// The offer ids of a wish-list body, a JSON list of {"offer_id": n}; nullopt when malformed.
std::optional<std::vector<int64_t>> wishlistIds(const test::RecordedRequest& request) {
    boost::system::error_code ec;
    const JsonValue body = boost::json::parse(request.body, ec);
    if (ec || !body.is_array()) return std::nullopt;
    std::vector<int64_t> ids;
    for (const auto& entry : body.get_array()) {
        const JsonValue* id = entry.is_object() ? entry.get_object().if_contains("offer_id") : nullptr;
        if (id == nullptr || !id->is_int64()) return std::nullopt;
        ids.push_back(id->get_int64());
    }
    return ids;
}

JsonArray offerIdList(const std::vector<int64_t>& ids) {
    JsonArray list;
    for (const auto id : ids) list.push_back(JsonObject{{"offer_id", id}});
    return list;
}

constexpr std::array<std::string_view, 4> bookingStatuses = {"BOOKED", "COMPLETED", "CANCELLED",
                                                             "AWAITING_CONFIRMATION"};

bool knownStatus(const std::string& status) { return std::ranges::find(bookingStatuses, status) != bookingStatuses.end(); }

std::string now() {
    using namespace std::chrono;
    const auto time = system_clock::to_time_t(floor<seconds>(system_clock::now()));
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

/// A new booking of the member from a create request's fields, or the refusal.
std::expected<JsonObject, test::Reply> book(const Catalogue& catalogue, State& state, const JsonObject& fields,
                                            const std::string& member) {
    const JsonValue* offerId = fields.if_contains("offer");
    const Listing* listing = offerId && offerId->is_int64() ? catalogue.find(offerId->get_int64()) : nullptr;
    const std::string status = text(fields, "status"), code = text(fields, "location_code");
    if (listing == nullptr) return std::unexpected(error(400, "invalid", "No such offer."));
    if (!knownStatus(status)) return std::unexpected(error(400, "invalid", "Unknown booking status."));
    const auto& places = listing->json.at("locations_data").as_array();
    const auto place = std::ranges::find_if(
        places, [&](const JsonValue& p) { return p.as_object().at("location_code").as_string() == code; });
    if (place == places.end()) return std::unexpected(error(400, "invalid", "The offer does not run at this location."));
    std::lock_guard lock(state.mutex);
    return state.bookings.emplace_back(JsonObject{
        {"appointment_id", state.nextBookingId++}, {"booking_start_datetime", text(fields, "booking_start_datetime")},
        {"booking_end_datetime", text(fields, "booking_end_datetime")}, {"status", status}, {"member", member},
        {"location_code", code}, {"location_name", place->as_object().at("location_name")}, {"offer", listing->id},
        {"offer_name", listing->json.at("offer_name")}, {"created_ts", now()}, {"updated_ts", now()},
        {"offer_extra_data", JsonObject{{"party_size", 1}}}, {"location_extra_data", JsonObject{{"floor", "ground"}}}});
}

}  // namespace

void scriptOffers(SandboxGateway& gateway) {
    const auto catalogue = std::make_shared<const Catalogue>();
    const auto state = std::make_shared<State>();
    const std::string member(SandboxGateway::memberId);
    const std::string offersURL = gateway.baseURL() + path("/offers/");

    gateway.onAuthorised("GET", "/offers/", [catalogue, state, offersURL](const test::RecordedRequest& request) {
        return listOffers(*catalogue, *state, request, offersURL);
    });

    for (const Listing& listing : catalogue->listings) {
        const int64_t id = listing.id;
        const std::string base = "/offers/" + std::to_string(id) + "/";
        gateway.onAuthorised("GET", base, [&listing, catalogue, state](const test::RecordedRequest&) {
            std::lock_guard lock(state->mutex);
            return json(offerFor(listing, *state));
        });
        gateway.onAuthorised("POST", base + "acceptances/", [id, state](const test::RecordedRequest& request) {
            const JsonValue* accepted = body(request).if_contains("accepted");
            if (accepted == nullptr || !accepted->is_bool()) return error(400, "invalid", "accepted must be a flag.");
            std::lock_guard lock(state->mutex);
            state->actions[id].accepted = accepted->get_bool();
            return test::Reply(204);
        });
        gateway.onAuthorised("POST", base + "ratings/", [id, state](const test::RecordedRequest& request) {
            const auto rating = parse<int64_t>(text(body(request), "rating"));
            if (!rating || *rating < 1 || *rating > 5) return error(400, "invalid", "Rate the offer from 1 to 5.");
            std::lock_guard lock(state->mutex);
            state->actions[id].rating = *rating;
            return test::Reply(204);
        });
        gateway.onAuthorised("GET", base + "actions/", [id, state](const test::RecordedRequest&) {
            std::lock_guard lock(state->mutex);
            const Action action = state->actions[id];
            return json(JsonObject{{"offer_id", id}, {"accepted", action.accepted}, {"rating", action.rating}});
        });
        gateway.onAuthorised("GET", base + "offerpresentment/", [&listing, catalogue](const test::RecordedRequest&) {
            const auto& offer = listing.json;
            return json(JsonObject{
                {"id", 5000 + listing.id}, {"offer", listing.id}, {"title", offer.at("offer_name")},
                {"subtitle", offer.at("subtitle")}, {"image", offer.at("mobile_image")},
                {"image_url", offer.at("desktop_image")},
                {"header_html", "<h1>" + std::string(offer.at("offer_name").as_string()) + "</h1>"},
                {"detail_html", "<p>" + std::string(offer.at("offer_description").as_string()) + "</p>"}});
        });
    }

    // The best-rated current offers, "count" of them (three when absent).
    gateway.onAuthorised("GET", "/members/" + member + "/offer-recommendations/",
                         [catalogue, state](const test::RecordedRequest& request) {
                             const auto count = parse<int64_t>(param(request, "count").value_or("3"));
                             if (!count || *count < 0) return error(400, "invalid", "count must be a whole number.");
                             std::vector<const Listing*> current;
                             for (const auto& listing : catalogue->listings)
                                 if (!listing.expired) current.push_back(&listing);
                             std::ranges::stable_sort(current, std::greater<>(), [](const Listing* listing) {
                                 return listing->json.at("average_rating").as_double();
                             });
                             JsonArray recommended;
                             std::lock_guard lock(state->mutex);
                             for (const Listing* listing : current | std::views::take(*count))
                                 recommended.push_back(offerFor(*listing, *state));
                             return json(recommended);
                         });

    // The member's responses to the offers they acted on.
    gateway.onAuthorised("POST", "/members/" + member + "/member-offers/", [member, state](const test::RecordedRequest&) {
        JsonArray responses;
        std::lock_guard lock(state->mutex);
        for (const auto& [id, action] : state->actions)
            responses.push_back(JsonObject{{"memberID", member}, {"offerID", id},
                                           {"userResponse", action.accepted ? "ACCEPTED" : "REJECTED"},
                                           {"availmentCount", 0}, {"updated", true}, {"notTargeted", false},
                                           {"mtoMap", JsonObject{{"channel", "app"}}}});
        return json(responses);
    });

    const std::string bookings = "/offer-bookings/" + member + "/";
    gateway.onAuthorised("GET", bookings, [state](const test::RecordedRequest&) {
        std::lock_guard lock(state->mutex);
        return json(JsonArray(state->bookings.rbegin(), state->bookings.rend()));
    });
    const auto update = [state](int64_t bookingId) {
        return [state, bookingId](const test::RecordedRequest& request) {
            const std::string status = text(body(request), "status");
            if (!knownStatus(status)) return error(400, "invalid", "Unknown booking status.");
            std::lock_guard lock(state->mutex);
            for (auto& booking : state->bookings) {
                if (booking.at("appointment_id").as_int64() != bookingId) continue;
                booking["status"] = status;
                booking["updated_ts"] = now();
                return json(booking);
            }
            return error(404, "not_found", "No such booking.");
        };
    };
    const auto updatable = [&gateway, bookings, update](int64_t id) {
        gateway.onAuthorised("PATCH", bookings + std::to_string(id) + "/", update(id));
    };
    gateway.onAuthorised("POST", bookings, [catalogue, state, member, updatable](const test::RecordedRequest& request) {
        auto booking = book(*catalogue, *state, body(request), member);
        if (!booking) return booking.error();
        updatable(booking->at("appointment_id").as_int64());
        return json(*booking, 201);
    });
    // A booking the member made earlier.
    const JsonObject earlier{{"status", "BOOKED"}, {"offer", 224}, {"location_code", "BABC-HOX"},
                             {"booking_start_datetime", dayText(3, 0)}, {"booking_end_datetime", dayText(3, 0)}};
    updatable(book(*catalogue, *state, earlier, member).value().at("appointment_id").as_int64());

    // The wish list: adding reports "success", removing "removed"; unknown offers go to "failure".
    const std::string wishlist = "/members/" + member + "/wishlist/";
    const auto change = [catalogue, state](bool adding) {
        return [catalogue, state, adding](const test::RecordedRequest& request) {
            const auto ids = wishlistIds(request);
            if (!ids) return error(400, "invalid", "Send a list of {\"offer_id\": n}.");
            std::vector<int64_t> done, failed;
            std::lock_guard lock(state->mutex);
            auto& list = state->wishlist;
            for (const auto id : *ids) {
                const auto at = std::ranges::find(list, id);
                const bool ok = adding ? catalogue->find(id) != nullptr && at == list.end() : at != list.end();
                if (!ok) {
                    failed.push_back(id);
                    continue;
                }
                if (adding) list.push_back(id);
                else list.erase(at);
                done.push_back(id);
            }
            return json(JsonObject{{adding ? "success" : "removed", offerIdList(done)}, {"failure", offerIdList(failed)}});
        };
    };
    gateway.onAuthorised("POST", wishlist, change(true));
    gateway.onAuthorised("DELETE", wishlist, change(false));
    gateway.onAuthorised("GET", wishlist, [catalogue, state](const test::RecordedRequest& request) {
        const bool withExpired = param(request, "expired") == "true";
        JsonArray offers;
        std::lock_guard lock(state->mutex);
        for (const auto id : state->wishlist)
            if (const Listing* listing = catalogue->find(id); listing && (withExpired || !listing->expired))
                offers.push_back(offerFor(*listing, *state));
        return json(offers);
    });
}

}  // namespace lumeno::sandbox
