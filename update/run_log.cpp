#include "update/run_log.h"

#include "base/control_names.h"
#include "base/date_time.h"
#include "base/gbk.h"
#include "http/network_time.h"

namespace velmora {

Text network_time_text(const Endpoints& endpoints) {
    return date_time_to_text(network_time(endpoints.time_url));
}

void append_log_line(Controls& controls, const Text& time, const Text& message) {
    controls.append_to_edit(control::run_log(), {"[" + time + gbk("]：") + message + "\r\n"});
}

}  // namespace velmora
