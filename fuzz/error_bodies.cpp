// Error bodies of failed replies: parsing never throws, the error kind follows the body, and
// every entry writes back as JSON. The same bodies go through the network log's masking: JSON
// stays JSON and is never summarised, and masking twice changes nothing more.

#include "check.hpp"
#include "core/http/network_logger.hpp"
#include "lumeno/core/error.hpp"

using namespace lumeno;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Response response{422, std::string(fuzz::text(data, size)), {{"Content-Type", "application/json"}},
                            "https://api.test/v1/members/login/"};
    const auto parsed = LumenoResponseError::parse(response);
    const LumenoError error = LumenoError::fromStatusCode(response);

    require((error.kind() == LumenoError::Kind::statusCode) == parsed.has_value(),
            "statusCode exactly for error bodies");
    if (parsed) {
        require(!parsed->errors.empty(), "an error body has an entry");
        require(parsed->error.toJson() == parsed->errors.front().toJson(), "the error is the first entry");
        for (const auto& entry : parsed->errors) require(fuzz::writesJson(entry.toJson()), "entries write JSON");
        const LumenoResponseError* carried = error.responseError();
        require(carried != nullptr && carried->response.data == response.data, "the error carries the body");
    } else {
        require(error.kind() == LumenoError::Kind::lumenoErrorMapping, "no error body: lumenoErrorMapping");
        require(error.response() != nullptr && error.response()->data == response.data, "the error carries the reply");
    }
    (void)error.description();
    (void)error.loginErrorCode();
    (void)error.changePasswordErrorCode();
    (void)error.resetPasswordErrorCode();
    (void)error.validateOTPErrorCode();

    const std::string masked = detail::maskedBody(response.data, "application/json");
    boost::system::error_code before, after;
    boost::json::parse(response.data, before);
    boost::json::parse(masked, after);
    require(before || !after, "a masked JSON body is JSON");
    const bool summarised = masked == "(" + std::to_string(response.data.size()) + " bytes, application/json)";
    require(!summarised || before || response.data.size() > 64 * 1024, "a JSON body is not summarised");
    require(summarised || detail::maskedBody(masked, "application/json") == masked,
            "masking twice changes nothing more");
    return 0;
}
