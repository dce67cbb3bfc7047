// Reference data (look-ups, countries, regions, cities) and the upload addresses.
#include <boost/json/parse.hpp>

#include <algorithm>
#include <cctype>

#include "lumeno/core/utils.hpp"
#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

const JsonArray& lookUps() {
    static const JsonArray values = boost::json::parse(R"([
        {"id":1,"type":"gender","code":"F","name":"Female","active":true,
         "localisations":[{"name":"Femme","locale_code":"fr"},{"name":"Weiblich","locale_code":"de"}]},
        {"id":2,"type":"gender","code":"M","name":"Male","active":true,"localisations":[]},
        {"id":3,"type":"gender","code":"X","name":"Not Stated","active":false},
        {"id":4,"type":"salutation","code":"MRS","name":"Mrs","description":"Married woman","active":true},
        {"id":5,"type":"salutation","code":"DR","name":"Dr","active":true}
    ])").as_array();
    return values;
}

const JsonArray& countries() {
    static const JsonArray values = boost::json::parse(R"([
        {"id":44,"name":"United Kingdom","iso_code":"GB"},
        {"id":33,"name":"France","iso_code":"FR"},
        {"id":1,"name":"United States","iso_code":"US"}
    ])").as_array();
    return values;
}

const JsonArray& regions() {
    static const JsonArray values = boost::json::parse(R"([
        {"id":10,"name":"Greater London","region_code":"LDN","country":44,"country_name":"United Kingdom"},
        {"id":11,"name":"Kent","region_code":"KEN","country":44,"country_name":"United Kingdom"},
        {"id":20,"name":"Île-de-France","region_code":"IDF","country":33,"country_name":"France"},
        {"id":30,"name":"California","region_code":"CA","country":1,"country_name":"United States"}
    ])").as_array();
    return values;
}

const JsonObject& citiesByRegion() {
    static const JsonObject values = boost::json::parse(R"({
        "10":[{"id":100,"name":"London","city_code":"LON","version_counter":3},
              {"id":101,"name":"Croydon","city_code":"CRY","version_counter":1}],
        "11":[{"id":110,"name":"Canterbury","city_code":"CTB"},{"id":111,"name":"Maidstone","city_code":"MDS"}],
        "20":[{"id":200,"name":"Paris","city_code":"PAR","version_counter":7}],
        "30":[{"id":300,"name":"San Francisco","city_code":"SFO"},{"id":301,"name":"Los Angeles","city_code":"LAX"}]
    })").as_object();
    return values;
}

/// The elements of `list` for which `keep` holds.
template <class Keep>
JsonArray only(const JsonArray& list, Keep keep) {
    JsonArray out;
    std::ranges::copy_if(list, std::back_inserter(out), [&](const JsonValue& v) { return keep(v.as_object()); });
    return out;
}

std::string lowercase(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

void scriptLookups(SandboxGateway& gateway) {
    auto& server = gateway.server();

    gateway.onAuthorised("GET", "/lookups/", [](const test::RecordedRequest& request) {
        const auto type = queryValue(request, "type");
        const bool activeOnly = queryValue(request, "active") == "1";
        return json(only(lookUps(), [&](const JsonObject& value) {
            return (!type || text(value, "type") == *type) && (!activeOnly || value.at("active").as_bool());
        }));
    });

    gateway.onAuthorised("GET", "/countries/", [](const test::RecordedRequest&) { return json(countries()); });

    gateway.onAuthorised("GET", "/regions/", [](const test::RecordedRequest& request) {
        const auto country = queryValue(request, "country__name").value_or("");
        return json(only(regions(), [&](const JsonObject& region) { return text(region, "country_name") == country; }));
    });
    for (const auto& country : countries()) {
        const std::int64_t code = country.at("id").as_int64();
        gateway.onAuthorised("GET", "/regions/" + std::to_string(code) + "/", [code](const test::RecordedRequest&) {
            return json(only(regions(), [&](const JsonObject& region) { return region.at("country") == code; }));
        });
    }

    // Cities need no token.
    for (const auto& [regionId, cities] : citiesByRegion()) {
        server.on("GET", path("/cities/" + std::string(regionId) + "/"), [&cities](const test::RecordedRequest& request) {
            const auto search = lowercase(queryValue(request, "search").value_or(""));
            return json(only(cities.as_array(), [&](const JsonObject& city) {
                return lowercase(text(city, "name")).find(search) != std::string::npos;
            }));
        });
    }

    // The signed address points back at the sandbox; nothing is stored there.
    gateway.onAuthorised("POST", "/sign-s3/", [&gateway](const test::RecordedRequest& request) {
        const JsonObject upload = body(request);
        const std::string fileName = text(upload, "file_name");
        if (fileName.empty() || text(upload, "file_type") != "image/png")
            return error(400, "invalid_upload", "A PNG file name is required.");
        const std::string url = gateway.baseURL() + "/uploads/" + text(upload, "subfolder") + fileName;
        return json(JsonObject{{"url", url}, {"signedRequest", url + "?signature=" + Utils::randomString(16)}});
    });
}

}  // namespace lumeno::sandbox
