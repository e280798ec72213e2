// The watched records, remembered in velmora.ini so that they survive a restart: section
// 监控记录, one key per domain id, its value the watched record ids joined by ",".
// A value that is not such a list is read as far as its pieces are digit ids; keys that
// are not domain ids are never asked for. Files without the section load as before.
#pragma once

#include <set>

#include "base/controls/controls.h"
#include "base/types.h"

namespace velmora {

class RunLog;

// The record ids remembered for a domain (digit ids only; anything else is skipped).
std::set<Text> remembered_records(const Text& settings_path, const Text& domain_id);

// Adds or removes one record of a domain. Writes only when the set changes; true when
// nothing needed writing or the write worked. Nothing is written once shutdown has
// begun (the controls then read empty), nor for ids that are not digit ids.
bool remember_watch(const Text& settings_path, const Text& domain_id, const Text& record_id,
                    bool watched);

// After a login loaded page `page`: ticks each row whose record is remembered for the
// page's domain, through the row check box, so that it goes the way of the user's own
// tick. Remembered records the page no longer lists are forgotten, each with one log
// line. A page that did not load (no domain id in its domain row) is left alone.
void restore_remembered_watches(Controls& controls, const Text& settings_path, int page,
                                RunLog& log);

}  // namespace velmora
