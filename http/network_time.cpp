#include "http/network_time.h"

#include "base/date_time.h"
#include "http/com_request.h"
#include "http/header_block.h"
#include "http/http_date.h"

namespace velmora {
namespace {

constexpr int method_head = 2;
constexpr int unit_hours = 6;
constexpr int hours_ahead_of_utc = 8;

}  // namespace

std::optional<DateTime> network_time(const Text& time_url) {
    const Text headers = com_request(ComRequest{.url = time_url, .method = method_head}).headers;
    // The line named Date, in any letter case; a "Date:" inside another header's name
    // (X-Last-Update-Date) is not the server's clock.
    const std::optional<HttpDate> date = parse_http_date(header_value(headers, "Date"));
    if (!date) {
        return std::nullopt;
    }
    const DateTime utc =
        make_date_time(date->year, date->month, date->day, date->hour, date->minute, date->second);
    return add_to_date_time(utc, unit_hours, hours_ahead_of_utc);
}

}  // namespace velmora
