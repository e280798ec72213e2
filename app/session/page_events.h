// The record pages' row check boxes and the console link label.
#pragma once

#include "base/controls/controls.h"
#include "base/endpoints.h"
#include "update/page_watch_list.h"

namespace velmora {

// A row's check box on record page `page` (1-6) changed to `state` (1 ticked, 0
// not). Ticking a row of an A or AAAA record (rows 1 to PageWatchList::kSlotCount)
// puts the record under watch and marks it "解析中..."; unticking clears only the
// slot's flag and the mark. A row of any other type cannot follow an address: its
// tick is taken back and a box says why. Row 0, rows past the slots and other states
// do nothing. True when the row is now watched.
bool on_record_row_checked(Controls& controls, PageWatchList& watch, int page, int row, int state);

// https:// + console host + /account/token, the page where API tokens are made.
Text console_token_address(const Endpoints& endpoints);

// The link label: shows the token page in the default browser.
void open_console_token_page(Controls& controls, const Endpoints& endpoints);

}  // namespace velmora
