#include "base/system/local_clock.h"

#include <ctime>

#include "base/date_time.h"

namespace velmora {

DateTime local_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return {};
    }
    return make_date_time(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec);
}

}  // namespace velmora
