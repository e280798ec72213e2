// The token of the Linux system service as a systemd credential: encrypted with the
// host's key by systemd-creds, loaded by the unit (LoadCredentialEncrypted=) and handed
// to the service decrypted, as $CREDENTIALS_DIRECTORY/velmora-token.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

// Encrypts `token` (GBK bytes, given on systemd-creds's standard input, never on its
// command line) into `path` under the credential name velmora-token. The empty text
// when done, else the line that says why not; where the platform has no such
// credentials (Windows) it always says so.
Text encrypt_service_credential(const Text& token, const Text& path);

// The token `path` holds, decrypted; none when it cannot be read or decrypted.
std::optional<Text> decrypt_service_credential(const Text& path);

}  // namespace velmora
