#include "app/session/option_items.h"

#include "app/window/tray_texts.h"
#include "base/system/autostart.h"

namespace velmora {

OptionItems option_items(SessionCore& session) {
    const auto option = [&session](const Text& caption, RunOption run_option) {
        return OptionItem{caption, [&session, run_option] { return session.option(run_option); },
                          [&session, run_option](bool on) { session.set_option(run_option, on); }};
    };
    return {option(tray_menu::log_in_at_start(), RunOption::log_in_at_start),
            {tray_menu::start_at_logon(), [] { return starts_at_logon(); },
             [](bool on) { set_starts_at_logon(on); }},
            option(tray_menu::minimise_to_tray(), RunOption::minimise_to_tray),
            {tray_menu::protect_token(),
             [&session] { return session.option(RunOption::protect_token); },
             [&session](bool on) { session.set_option(RunOption::protect_token, on); },
             [&session] { return session.token_protection_note(); }}};
}

}  // namespace velmora
