#pragma once

// One offer as the platform sends it in a list: a primary sponsor, two products, locations,
// the member's action, template parameters, location links and attributes.

namespace lumeno::test {

inline constexpr const char* realisticOffer = R"({
  "id": 4127, "status": "ACTIVE", "offer_name": "Double points on weekend brunch",
  "subtitle": "Earn 2x points at every participating cafe", "offer_type": "MULTIPLIER", "price": "0.00",
  "offer_description": "Members earn double points on brunch orders placed on Saturdays and Sundays. Valid for dine-in and take-away at participating branches. Cannot be combined with other multiplier offers.",
  "start_date": "2024-03-01T00:00:00+0800", "end_date": "2024-12-31T23:59:59.000+0800", "rank": 3,
  "cost": "150.00", "num_of_clients": "5000", "max_usage_per_user": "4",
  "offer_acceptance_required": true, "twitter_share": false, "fb_share": true, "offer_launched": true,
  "presentment_description": "Show this screen to the cashier before paying.",
  "sponsors": [12, 31], "primary_sponsor": null,
  "primary_sponsor_data": {
    "id": 12, "name": "Cafe Central", "short_name": "CC", "brand_name": "Cafe Central Group", "rank": 1,
    "is_host": false, "description": "Neighbourhood cafes serving breakfast all day.",
    "address": "12 Market Street, Makati", "phone_number": "+63 2 8555 0100", "status": "ACTIVE",
    "industry": "Food and Beverage", "logo": "https://cdn.example.com/sponsors/12/logo.png",
    "header": "https://cdn.example.com/sponsors/12/header.jpg", "url": "https://cafecentral.example.com",
    "start_date": "2019-01-01", "end_date": null, "contact_person_name": "Maria Santos",
    "email": "partners@cafecentral.example.com", "country": 63, "region": "NCR", "city": 1376,
    "country_name": "Philippines", "state_name": "Metro Manila", "city_name": "Makati",
    "sponsor_timings": [{"id": 1, "day": 6, "open_time": "07:00", "close_time": "22:00"},
                        {"id": 2, "day": 7, "open_time": "08:00", "close_time": "21:00"}],
    "extra_data": {"tier": "gold", "partner_since": 2019}
  },
  "deal_code": "BRUNCH2X",
  "products": [
    {"id": 801, "product": 55, "product_name": "Brunch platter", "award_price": 250.0, "product_cost": 480.5,
     "product_category": "Food", "product_currency_id": "PHP", "product_currency_name": "Philippine peso",
     "product_extra_data": {"calories": 950, "vegetarian": false}},
    {"id": 802, "product": 56, "product_name": "Iced latte", "award_price": 90, "product_cost": 165,
     "product_category": "Beverage", "product_currency_id": "PHP", "product_currency_name": "Philippine peso",
     "product_extra_data": {"size": "grande"}}
  ],
  "valid_for": "WEEKENDS", "valid_period": "DAILY", "valid_until": "2024-12-31", "repeat_weekday": "6,7",
  "repeat_month": null, "repeat_day": null, "locations": [101, 102],
  "locations_data": [
    {"id": 101, "location_name": "Cafe Central Legaspi", "location_code": "CC-LEG", "latitude": 14.5547,
     "longitude": 121.0244, "image": "https://cdn.example.com/locations/101.jpg", "address": "Legaspi Village, Makati"},
    {"id": 102, "location_name": "Cafe Central Salcedo", "location_code": "CC-SAL", "latitude": 14.5601,
     "longitude": 121.0211, "image": null, "address": "Salcedo Village, Makati"}
  ],
  "launch_date": "2024-02-25", "mobile_image": "https://cdn.example.com/offers/4127/mobile.jpg",
  "desktop_image": "https://cdn.example.com/offers/4127/desktop.jpg", "average_rating": 4.6,
  "rating_count": 213, "availed_total": 1870, "availed_unique": 944,
  "action": {"offer_id": 4127, "accepted": true, "rating": 5},
  "is_base_offer": false,
  "location_urls": {"menu": "https://cafecentral.example.com/menu", "booking": null, "branches": 2},
  "location_category": "RESTAURANT",
  "template_params": {"offer_start_hour": "07", "offer_start_minute": "00", "offer_end_hour": "14",
                      "offer_end_minute": "00", "reward_type": "MULTIPLIER", "reward_value": "2",
                      "reward_multiplier": "2", "reward_bonus": "0"},
  "extra_data": {"campaign": "weekend-brunch", "budget": 125000.5, "internal": true},
  "term_and_condition": "Points are credited within 48 hours. The programme may end this offer at any time.",
  "offer_distance": 1.25, "featured_rank": 2, "tags": ["food", "weekend", "multiplier"]
})";

}  // namespace lumeno::test
