// The compare-and-modify loop that keeps the watched records on the machine's public
// address.
#pragma once

#include "api/api_context.h"
#include "update/page_watch_list.h"

namespace velmora {

// Re-reads the values of every captioned page's records into column 3 of its list,
// using the domain id in row 0, column 0; a page without one is skipped. A failed
// request, or a reply whose values do not pair up with its record ids, leaves the
// column as it was.
void refresh_record_values(const ApiContext& context);

// One pass: the refresh, then every watched slot in page then slot order. A slot whose
// shown value equals a fresh public address logs the no-change line; one that differs
// gets a Record.Modify with another fresh address. A discovery that does not give a
// plain IPv4 address leaves the slot alone for this pass. Ends early at shutdown.
void run_update_pass(const ApiContext& context, const PageWatchList& watch);

// Pass, then a pause of endpoints.update_period, again and again until shutdown is
// requested (the pause ends at once then).
void run_update_cycle(const ApiContext& context, const PageWatchList& watch);

}  // namespace velmora
