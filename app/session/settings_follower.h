// What another run (a window, a set-up from the shell) changed in the settings file
// while this run's loop goes on, taken in before the loop's next pass.
#pragma once

#include <optional>
#include <string>

#include "base/controls/controls.h"
#include "base/types.h"

namespace velmora {

class RunLog;

class SettingsFollower {
  public:
    // `controls` and `log` must outlive the follower. The file as it is now is the
    // starting point.
    SettingsFollower(Controls& controls, const Text& settings_path, RunLog& log);

    // When the file's bytes changed since the last look (for the token, with 保护令牌 on,
    // at every look): a new ID and Token into the edit boxes (the loop's next requests
    // carry them), and on every loaded page the A and AAAA rows ticked or unticked
    // through their check boxes as the file's 监控记录 remembers them; one log line for
    // each kind of change.
    void follow();

  private:
    bool follow_credential();
    bool follow_watches();

    Controls& controls_;
    const Text settings_path_;
    RunLog& log_;
    std::optional<std::string> seen_;
};

}  // namespace velmora
