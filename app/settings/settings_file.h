// The remembered credential in velmora.ini (see base/settings_location.h for where it
// lives): section 登入数据 with keys ID and Token, section 选择框 with key 状态. Errors
// are silent by design: a missing file gives empty fields, a failed save leaves the
// previous file as it was.
#pragma once

#include "base/controls/controls.h"
#include "base/system/settings_location.h"
#include "base/types.h"

namespace velmora {

// ID and Token into their edit boxes; 选择框1 ticked exactly when 状态 is "真". The
// empty text, or the line that says why a protected token could not be had (its box
// then stays empty, as at a first start).
Text load_settings(Controls& controls, const Text& path);

struct StoredCredential {
    Text id;
    Text token;
    Text token_problem;  // see load_settings
};

// The ID and Token the file holds now (empty texts when it holds none), the token from
// where it is kept (app/settings/token_protection.h).
StoredCredential stored_credential(const Text& path);

// 状态 = "真", then ID and Token from the edit boxes, in this order; the token goes
// where it is kept. Nothing once shutdown has begun. The empty text, or the line that
// says why the token was not saved.
Text save_settings(Controls& controls, const Text& path);

// The line that says a hand-written UTF-8 settings file was read as such (and is stored
// as GBK at the next write); empty for a GBK file.
Text utf8_settings_note(const Text& path);

// Where the history of a run on these settings goes: velmora.log beside the settings
// file unless the location names another.
Text history_file_of(const SettingsLocation& settings);

}  // namespace velmora
