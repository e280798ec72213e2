// The account both update benchmarks run against (six domains of 20 A records each, so
// that all 120 watch slots can be filled), the provider's endpoints, and the helper that
// watches the first slots.
#pragma once

#include <string>

#include "base/controls/control_names.h"
#include "base/controls/controls.h"
#include "base/endpoints.h"
#include "http/tls_settings.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/seed.h"
#include "update/page_watch_list.h"

namespace velmora::bench {

inline constexpr char kAccountId[] = "300001";
inline constexpr char kToken[] = "bench0token0bench0token0bench000";
inline constexpr char kDnsName[] = "www.velmora.example";

inline sandbox::SeedData bench_seed(const std::string& record_value) {
    sandbox::SeedData seed;
    sandbox::Account account{kAccountId, kToken, {}};
    for (int d = 1; d <= control::kPageCount; ++d) {
        sandbox::Domain domain;
        domain.name = "bench" + std::to_string(d) + ".example";
        for (int r = 1; r <= PageWatchList::kSlotCount; ++r) {
            sandbox::Record record;
            record.name = "host" + std::to_string(r);
            record.type = "A";
            record.value = record_value;
            domain.records.push_back(record);
        }
        account.domains.push_back(domain);
    }
    seed.accounts.push_back(account);
    seed.httpdns[kDnsName] = {"203.0.113.80"};
    return seed;
}

// The endpoints of a started substitute provider, whose CA the process then trusts.
inline Endpoints trusted_endpoints(const sandbox::SandboxServer& provider) {
    set_extra_ca_file(provider.ca_file());
    Endpoints endpoints;
    endpoints.api_host = provider.api_host();
    endpoints.httpdns_address = provider.dns_address();
    endpoints.httpdns_name = kDnsName;
    endpoints.time_url = provider.time_url();
    endpoints.extra_ca_file = provider.ca_file();
    return endpoints;
}

// Watches the first `count` records, page by page, as ticking their rows would.
inline void watch_slots(Controls& controls, PageWatchList& watch, int count) {
    for (int n = 0; n < count; ++n) {
        const int page = n / PageWatchList::kSlotCount + 1;
        const int row = n % PageWatchList::kSlotCount + 1;
        const Text& list = control::record_list(page);
        watch.set_flag(page, row, 1);
        watch.set_text(page, row, WatchField::domainId, controls.list_cell_text(list, 0, 0));
        watch.set_text(page, row, WatchField::recordId, controls.list_cell_text(list, row, 0));
        watch.set_text(page, row, WatchField::subDomain, controls.list_cell_text(list, row, 1));
        watch.set_text(page, row, WatchField::recordType, controls.list_cell_text(list, row, 2));
    }
}

}  // namespace velmora::bench
