// Time stamps as the sandbox writes them.
#pragma once

#include <ctime>
#include <string>

namespace velmora::sandbox {

// "YYYY-MM-DD HH:MM:SS", local time: the provider's created_at / updated_on form.
std::string local_timestamp(std::time_t when = std::time(nullptr));

// The HTTP Date header form, e.g. "Tue, 08 Dec 2026 00:30:00 GMT" (RFC 1123, always
// English names whatever the process locale).
std::string http_date(std::time_t when = std::time(nullptr));

}  // namespace velmora::sandbox
