#pragma once

// ISO-8601 texts read without ICU. The platform's date patterns ("yyyy-MM-dd",
// "yyyy-MM-dd'T'HH:mm:ss", "yyyy-MM-dd'T'HH:mm:ssZ" and the same with a fraction, ".SSS" or
// ".SSSSSS", before the zone) are read by `DateFormatter` with this reader first; ICU reads
// only what the reader is not sure of. Whatever the reader decides is what ICU decides.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "lumeno/core/date_utils.hpp"

namespace lumeno::detail {

/// What the reader makes of a text: when `decided`, `date` is what the ICU pattern gives (an
/// instant, or nothing when ICU rejects the text); otherwise the text is left to ICU.
struct IsoVerdict {
    bool decided = false;
    std::optional<Date> date;
};

/// The reader of one pattern, locale and zone, as a `DateFormatter` of them reads.
///
/// It decides only texts of the canonical shape: "yyyy-MM-dd", then optionally "'T'HH:mm:ss",
/// a fraction of 1 to 9 digits and a zone ("Z", "+hh", "+hhmm", "+hh:mm" or with '-'), every
/// field of exactly that many ASCII digits. A text of that shape with other parts than the
/// pattern has is rejected, as ICU rejects it. A text with exactly the pattern's parts is read
/// when its fields are in range and its year within 1900 to 2199; a text without a zone, in the
/// zone's offset, unless the local time lies within two days of a change of the zone's offset
/// (a skipped or repeated wall time, which ICU resolves by its own rules). A fraction keeps its
/// first three digits, the milliseconds, as ICU does.
class IsoDateReader {
public:
    /// A reader that decides nothing unless `pattern` is one of the platform's ISO-8601 patterns
    /// and `locale` is "en_US_POSIX". `zoneId` is an ICU zone id, as the formatter's.
    IsoDateReader(std::string_view pattern, std::string_view locale, std::string zoneId);
    ~IsoDateReader();
    IsoDateReader(const IsoDateReader&) = delete;
    IsoDateReader& operator=(const IsoDateReader&) = delete;

    [[nodiscard]] IsoVerdict read(std::string_view text) const;
    /// Whether the pattern is one of the platform's ISO-8601 patterns (with "en_US_POSIX").
    [[nodiscard]] bool knowsPattern() const noexcept { return parts_ != 0; }

private:
    struct Offsets;
    /// The zone's offsets, found on the first text without a zone; every reader of the zone in
    /// the process shares one table.
    [[nodiscard]] const Offsets& offsets() const;

    std::uint8_t parts_ = 0;  // the parts of the pattern (0: a pattern the reader does not know)
    std::string zoneId_;
    mutable std::once_flag offsetsBuilt_;
    mutable std::shared_ptr<const Offsets> offsets_;
};

/// What the formatter's ICU pattern alone reads of `text`, without its ISO-8601 reader: how the
/// tests compare the two.
std::optional<Date> icuDate(const DateFormatter& format, std::string_view text);

}  // namespace lumeno::detail
