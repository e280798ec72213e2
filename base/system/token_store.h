// Where the API token is kept, away from velmora.ini's Token key, when the user asks for
// it to be protected: on Linux the desktop's Secret Service (schema
// "example.velmora.Token", attributes program = "velmora" and id = the account's ID);
// on Windows the data protection API, whose protected bytes stand base64 in the key
// ProtectedToken of velmora.ini's section 登入数据 (the user's scope, or the machine's
// where the Velmora service is installed, since the service runs under its own account).
#pragma once

#include <memory>
#include <optional>

#include "base/types.h"

namespace velmora {

struct TokenLookup {
    std::optional<Text> token;  // the kept token; none when the store could not give it
    Text problem;               // then why, one GBK line without its line end
};

class TokenStore {
  public:
    virtual ~TokenStore() = default;
    // Keeps `token` (GBK) for the account `id`, in place of what was kept for it: the
    // empty text when it is kept, else the line that says why not.
    virtual Text keep(const Text& id, const Text& token) = 0;
    virtual TokenLookup find(const Text& id) = 0;
    // Drops what is kept for `id`; nothing when none is or the store does not answer.
    virtual void forget(const Text& id) = 0;
};

// Each call answers within about two seconds, store or no store.
std::unique_ptr<TokenStore> platform_token_store(const Text& settings_path);

}  // namespace velmora
