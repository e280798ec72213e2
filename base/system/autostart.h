// Starting the program at logon, through the platform's own entry, which is the only
// record of whether it is on: a desktop entry velmora.desktop in
// $XDG_CONFIG_HOME/autostart/ (default ~/.config/autostart/) on Linux, the value Velmora
// under HKCU\Software\Microsoft\Windows\CurrentVersion\Run on Windows. The entry starts
// the running executable, by its absolute path, with --minimized.
#pragma once

namespace velmora {

// Whether our entry exists (made by us or by hand).
bool starts_at_logon();

// Makes or removes our entry, and only ours; false when that failed.
bool set_starts_at_logon(bool on);

}  // namespace velmora
