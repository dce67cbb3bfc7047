#pragma once

// Turning a provider outcome into a call's result.

#include <boost/json/monotonic_resource.hpp>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/http/provider.hpp"
#include "core/json/parse.hpp"
#include "core/json/readers.hpp"
#include "lumeno/core/paginated_response.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

/// Whether a decode carries a fresh decoding context or none.
enum class Context { fresh, none };

/// The reply of a successful status, or the failure the outcome stands for: a provider failure
/// as it came, a status outside 200...299 through `LumenoError::fromStatusCode`.
Result<const Response*> filterSuccessfulStatusCodes(const ProviderResult& outcome);

/// Parses a reply body for mapping into `storage`, the value under `keyPath` of the top-level
/// object when one is given. Throws `DecodingError` on an empty body, a body that is no JSON, or
/// a missing key.
JsonValue mapJSON(const Response& response, std::optional<std::string_view> keyPath, boost::json::storage_ptr storage);

/// Parses a reply body as `mapJSON` does without a key path, but a top-level list is handed to
/// `element` element by element as it is read (`parseJsonList`), and comes back empty.
JsonValue mapJSONList(const Response& response, const ListElement& element, boost::json::storage_ptr storage);

/// The memory of one reply's JSON, freed at once when the records have copied out what they
/// keep. A small reply's JSON lives inside this object and allocates nothing; a larger one's
/// starts with a block the size of the reply and grows by doubling.
class ReplyMemory {
public:
    explicit ReplyMemory(std::size_t replySize)
        : resource_(replySize <= kSmallReply ? boost::json::monotonic_resource(inline_, sizeof inline_)
                                             : boost::json::monotonic_resource(replySize)) {}
    ReplyMemory(const ReplyMemory&) = delete;
    ReplyMemory& operator=(const ReplyMemory&) = delete;

    [[nodiscard]] boost::json::storage_ptr storage() noexcept { return &resource_; }

private:
    // The JSON of a reply usually takes less than three times its size; what does not fit in
    // the buffer goes on in blocks of its own.
    static constexpr std::size_t kSmallReply = 1024;
    alignas(std::max_align_t) unsigned char inline_[4 * kSmallReply];
    boost::json::monotonic_resource resource_;
};

/// Decodes a top-level list as `json::decodeValue<std::vector<T>>` decodes the whole list, each
/// element as soon as it is parsed, while its JSON is fresh; the whole list's JSON is never held.
/// The failure is the one the whole list would give: the reply's, when it is no JSON, else the
/// first element's.
template <class T>
std::vector<T> decodeList(const Response& response, const Decoder& decoder) {
    std::vector<T> out;
    std::optional<DecodingError> failure;
    const ListElement element = [&](const JsonValue& json, std::size_t read) {
        if (failure) return;  // the list fails: what is left is only parsed
        if (out.capacity() == 0 && read > 0) {
            // The first element's share of the text tells how many are likely: room for them at
            // once, though never for more records than the text has bytes per record.
            const std::size_t size = response.data.size();
            out.reserve(std::min(size / read, size / sizeof(T)) + 1);
        }
        try {
            json::appendDecoded(out, json, decoder);
        } catch (const DecodingError& error) {
            failure = error;
        }
    };
    ReplyMemory document(response.data.size());
    const JsonValue json = mapJSONList(response, element, document.storage());
    if (!json.is_array()) return json::decodeValue<std::vector<T>>(json, decoder);  // fails as no list
    if (failure) throw *failure;
    return out;
}

/// Decodes a successful reply's body as `T` with the given decoder; a failure becomes
/// `objectMapping` with the mapping's error and the reply.
template <class T>
Result<T> map(const Response& response, std::optional<std::string_view> keyPath, const Decoder& decoder) {
    try {
        if constexpr (json::IsVector<T>::value) {
            if (!keyPath) return decodeList<typename T::value_type>(response, decoder);
        }
        ReplyMemory document(response.data.size());
        return json::decodeValue<T>(mapJSON(response, keyPath, document.storage()), decoder);
    } catch (const DecodingError& error) {
        return fail(LumenoError::objectMapping(error.what(), response));
    }
}

inline Decoder makeDecoder(Context context) {
    return context == Context::fresh ? Decoder::withFreshContext() : Decoder();
}

/// A single value or list: status filter, then the body (or the value under `keyPath`).
template <class T>
Result<T> decodeResponse(const ProviderResult& outcome, std::optional<std::string_view> keyPath = std::nullopt,
                         Context context = Context::fresh) {
    auto reply = filterSuccessfulStatusCodes(outcome);
    if (!reply) return fail(std::move(reply.error()));
    return map<T>(**reply, keyPath, makeDecoder(context));
}

/// A page: status filter, cursors from the "prev" and "next" headers, then the list. A page
/// under a key path is decoded without a decoding context.
template <class T>
Result<PaginatedResponse<std::vector<T>>> decodePaginatedResponse(const ProviderResult& outcome,
                                                                   std::optional<std::string_view> keyPath = std::nullopt) {
    auto reply = filterSuccessfulStatusCodes(outcome);
    if (!reply) return fail(std::move(reply.error()));
    const Response& response = **reply;
    auto cursor = [&](std::string_view name) -> std::optional<std::string> {
        if (auto value = response.headers.find(name)) return std::string(*value);
        return std::nullopt;
    };
    auto list = map<std::vector<T>>(response, keyPath, makeDecoder(keyPath ? Context::none : Context::fresh));
    if (!list) return fail(std::move(list.error()));
    return PaginatedResponse<std::vector<T>>{cursor("prev"), cursor("next"), std::move(*list)};
}

/// A call with no result value: any 2xx succeeds whatever the body.
Result<void> mapEmptyResponseResult(const ProviderResult& outcome);

// Response closures: each runs one decoder and hands its result to the host's completion.

template <class T>
ProviderCompletion handleObjectResponse(Completion<T> completion, std::optional<std::string_view> keyPath = std::nullopt,
                                        Context context = Context::fresh) {
    // The closure is held while the call is in flight: most calls' holds the completion alone.
    if (!keyPath && context == Context::fresh)
        return [completion = std::move(completion)](ProviderResult&& outcome) mutable {
            completion(decodeResponse<T>(outcome));
        };
    return [completion = std::move(completion), keyPath, context](ProviderResult&& outcome) mutable {
        completion(decodeResponse<T>(outcome, keyPath, context));
    };
}

/// Decodes the reply as `T` at the root and, on success only, hands the value to `store` before
/// the completion runs, so that the host already sees what was stored. A failure stores nothing.
template <class T, class Store>
ProviderCompletion handleStoringResponse(Completion<T> completion, Store store) {
    return [completion = std::move(completion), store = std::move(store)](ProviderResult&& outcome) mutable {
        auto value = decodeResponse<T>(outcome);
        if (value) store(*value);
        completion(std::move(value));
    };
}

template <class T>
ProviderCompletion handlePageResponse(Completion<PaginatedResponse<std::vector<T>>> completion,
                                      std::optional<std::string_view> keyPath = std::nullopt) {
    return [completion = std::move(completion), keyPath](ProviderResult&& outcome) mutable {
        completion(decodePaginatedResponse<T>(outcome, keyPath));
    };
}

inline ProviderCompletion handleEmptyResponse(Completion<void> completion) {
    return [completion = std::move(completion)](ProviderResult&& outcome) mutable {
        completion(mapEmptyResponseResult(outcome));
    };
}

}  // namespace lumeno::detail
