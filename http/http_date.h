// Parsing the HTTP "Date:" header value (RFC 1123, RFC 850 and asctime forms).
#pragma once

#include <optional>
#include <string_view>

#include "base/types.h"

namespace velmora {

// A moment in UTC broken into calendar fields. Default-constructed, every field is zero:
// the value a caller uses when no date could be read.
struct HttpDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const HttpDate&, const HttpDate&) = default;
};

// Accepts the three HTTP-date forms with surrounding blanks, names in any letter case,
// full or abbreviated weekday names, an optional weekday, two-digit years and a zone of
// GMT, UTC, UT, Z or a numeric offset (the result is converted to UTC).
// Gives nothing for text that is not a date.
std::optional<HttpDate> parse_http_date(std::string_view text);

}  // namespace velmora
