#include "app/session/page_events.h"

#include "api/record_types.h"
#include "api/show_message.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace velmora {

bool on_record_row_checked(Controls& controls, PageWatchList& watch, int page, int row, int state) {
    if (row < 1 || row > PageWatchList::kSlotCount) {
        return false;
    }
    const Text& list = control::record_list(page);
    // An address written into a TXT, MX or CNAME record destroys what it held.
    if (state == 1 &&
        !follows_an_address(controls.list_cell_text(list, row, control::column::kType))) {
        controls.set_list_row_checked(list, row, false);
        show_message(controls, gbk("只有A和AAAA记录可以跟随公网IP"));
        return false;
    }
    if (state == 1) {
        watch.set_flag(page, row, 1);
        watch.set_text(page, row, WatchField::domainId,
                       controls.list_cell_text(list, 0, control::column::kRecordId));
        watch.set_text(page, row, WatchField::recordId,
                       controls.list_cell_text(list, row, control::column::kRecordId));
        watch.set_text(page, row, WatchField::subDomain,
                       controls.list_cell_text(list, row, control::column::kHost));
        watch.set_text(page, row, WatchField::recordType,
                       controls.list_cell_text(list, row, control::column::kType));
        controls.set_list_cell_text(list, row, control::column::kStatus, gbk("解析中..."));
        return true;
    }
    if (state == 0) {
        watch.set_flag(page, row, 0);
        controls.set_list_cell_text(list, row, control::column::kStatus, {});
    }
    return false;
}

Text console_token_address(const Endpoints& endpoints) {
    return "https://" + endpoints.console_host + "/account/token";
}

void open_console_token_page(Controls& controls, const Endpoints& endpoints) {
    controls.open_web_address(console_token_address(endpoints));
}

}  // namespace velmora
