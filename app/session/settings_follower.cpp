#include "app/session/settings_follower.h"

#include "api/record_types.h"
#include "app/session/page_events.h"
#include "app/settings/remembered_watches.h"
#include "app/settings/run_options.h"
#include "app/settings/settings_file.h"
#include "base/system/atomic_file.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"

namespace velmora {

SettingsFollower::SettingsFollower(Controls& controls, const Text& settings_path, RunLog& log)
    : controls_(controls),
      settings_path_(settings_path),
      log_(log),
      seen_(read_whole_file(settings_path)) {}

void SettingsFollower::follow() {
    std::optional<std::string> now = read_whole_file(settings_path_);
    // Unchanged, or gone for a moment: what the run holds stays.
    const bool changed = now && now != seen_;
    if (changed) {
        seen_ = std::move(now);
    }
    // A protected token changes in its store without a byte of the file changing.
    if ((changed || run_option(settings_path_, RunOption::protect_token)) && follow_credential()) {
        log_.write(gbk("设置文件中的ID和Token有变化，下一次请求起使用新的：") + settings_path_);
    }
    if (changed && follow_watches()) {
        log_.write(gbk("设置文件中的监控记录有变化，已按它勾选：") + settings_path_);
    }
}

bool SettingsFollower::follow_credential() {
    const StoredCredential stored = stored_credential(settings_path_);
    if (stored.id.empty() || stored.token.empty() ||
        (stored.id == controls_.edit_text(control::id_edit()) &&
         stored.token == controls_.edit_text(control::token_edit()))) {
        return false;
    }
    controls_.set_edit_text(control::id_edit(), stored.id);
    controls_.set_edit_text(control::token_edit(), stored.token);
    return true;
}

bool SettingsFollower::follow_watches() {
    bool changed = false;
    for (int page = 1; page <= control::kPageCount; ++page) {
        const Text& list = control::record_list(page);
        const Text domain_id = controls_.list_cell_text(list, 0, 0);
        if (domain_id.empty()) {
            continue;
        }
        const std::set<Text> remembered = remembered_records(settings_path_, domain_id);
        const int rows = std::min(controls_.list_row_count(list), PageWatchList::kSlotCount + 1);
        for (int row = 1; row < rows; ++row) {
            const bool wanted = remembered.contains(controls_.list_cell_text(list, row, 0)) &&
                                follows_an_address(controls_.list_cell_text(list, row, 2));
            if (wanted != controls_.list_row_checked(list, row)) {
                controls_.set_list_row_checked(list, row, wanted);
                changed = true;
            }
        }
    }
    return changed;
}

}  // namespace velmora
