#include "app/program/endpoints_from_build.h"

#include "app/program/build_config.h"

namespace velmora {

Endpoints endpoints_from_build() {
    Endpoints endpoints;
    endpoints.api_host = VELMORA_API_HOST;
    endpoints.httpdns_address = VELMORA_HTTPDNS_ADDRESS;
    endpoints.httpdns6_address = VELMORA_HTTPDNS6_ADDRESS;
    endpoints.httpdns_name = VELMORA_HTTPDNS_NAME;
    endpoints.time_url = VELMORA_TIME_URL;
    endpoints.console_host = VELMORA_CONSOLE_HOST;
    endpoints.extra_ca_file = VELMORA_EXTRA_CA_FILE;
    endpoints.update_period = std::chrono::seconds(VELMORA_UPDATE_PERIOD_SECONDS);
    return endpoints;
}

}  // namespace velmora
