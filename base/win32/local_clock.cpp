#include "base/system/local_clock.h"

#include <windows.h>

#include "base/date_time.h"

namespace velmora {

DateTime local_now() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    return make_date_time(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                          local.wSecond);
}

}  // namespace velmora
