// Where the API token is kept. By default in velmora.ini's Token key, as always. With
// 保护令牌 on (运行选项) in the platform's store (base/system/token_store.h) instead,
// the Token key kept but empty, so that an older copy of the program finds no token and
// asks for it. For the Linux system service, in a systemd credential beside the file
// (token.cred, which the unit loads and hands over as $CREDENTIALS_DIRECTORY/velmora-token).
#pragma once

#include "base/types.h"

namespace velmora {

struct TokenRead {
    Text token;    // empty when there is none to use
    Text problem;  // why the protected token could not be had: one line, said once
};

// The token a run uses for the account `id`: the credential systemd passed to the
// service first, then with the option on the store's, else the file's Token, or when
// that is empty the service's credential beside the file, decrypted (for root).
TokenRead token_for(const Text& settings_path, const Text& id);

// A login's token for `id`, saved where it is kept: with the option on into the store
// (never into the file), beside a service credential into that credential, else into
// the file. The empty text when saved, else the line that says why not.
Text save_token(const Text& settings_path, const Text& id, const Text& token);

// Turns the option on: the token into the store, the option on, then the file's Token
// emptied. Refused with a line (nothing changed) when `token` is empty or the store does
// not keep it; the empty text when done.
Text protect_token(const Text& settings_path, const Text& id, const Text& token);

// Turns the option off: the token (`token`, or the store's when that is empty) back
// into the file's Token, the option off, and the store's copy dropped. Refused with a
// line when there is no token to put back.
Text unprotect_token(const Text& settings_path, const Text& id, const Text& token);

// The service's credential beside the settings file, for the systemd unit.
Text service_credential_path(const Text& settings_path);

// --system --protect-token: the file's token encrypted into the service credential
// (and the unit told to load it, through `unit_drop_in`), then the file's Token emptied.
// --system --unprotect-token puts it back and removes both. The empty text when done.
Text protect_service_token(const Text& settings_path, const Text& unit_drop_in);
Text unprotect_service_token(const Text& settings_path, const Text& unit_drop_in);

}  // namespace velmora
