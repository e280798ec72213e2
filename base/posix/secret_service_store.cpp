// The Secret Service through libsecret, loaded at the first use: velmora-headless's
// package does not depend on it, and a run with the token kept in velmora.ini never maps
// it. The few types its calls take are declared here, as the library's stable interface
// gives them, so that no development package is needed to build (the arm64 cross build's
// could not be installed beside this machine's).
#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "base/gbk.h"
#include "base/system/token_store.h"

namespace velmora {

namespace {

// GLib's and libsecret's types, as far as these calls go.
struct GHashTable;
struct GCancellable;
struct GError;
using GHashFunc = unsigned (*)(const void*);
using GEqualFunc = int (*)(const void*, const void*);

struct SecretSchemaAttribute {
    const char* name;
    int type;  // 0: a string
};
struct SecretSchema {
    const char* name;
    int flags;
    SecretSchemaAttribute attributes[32];
    int reserved;
    void* reserved_pointers[7];
};

constexpr const char* kDefaultCollection = "default";

// A keyring that is not running, or is locked behind a prompt nobody answers, must not
// hold up a login or a menu.
constexpr std::chrono::milliseconds kAnswerLimit{2000};

const SecretSchema kSchema = {"example.velmora.Token", 0, {{"program", 0}, {"id", 0}}, 0, {}};

struct Library {
    bool loaded = false;
    int (*store)(const SecretSchema*, GHashTable*, const char* collection, const char* label,
                 const char* password, GCancellable*, GError**) = nullptr;
    char* (*lookup)(const SecretSchema*, GHashTable*, GCancellable*, GError**) = nullptr;
    int (*clear)(const SecretSchema*, GHashTable*, GCancellable*, GError**) = nullptr;
    void (*free_password)(char*) = nullptr;
    GHashTable* (*hash_table_new)(GHashFunc, GEqualFunc) = nullptr;
    int (*hash_table_insert)(GHashTable*, void* key, void* value) = nullptr;
    void (*hash_table_unref)(GHashTable*) = nullptr;
    GHashFunc str_hash = nullptr;
    GEqualFunc str_equal = nullptr;
    GCancellable* (*cancellable_new)() = nullptr;
    void (*cancellable_cancel)(GCancellable*) = nullptr;
    void* (*object_ref)(void*) = nullptr;
    void (*object_unref)(void*) = nullptr;
    void (*error_free)(GError*) = nullptr;
};

template <typename Function>
bool bind(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

const Library& library() {
    static const Library loaded = [] {
        Library lib;
        void* handle = dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return lib;
        }
        // GLib's functions come from libsecret's own dependencies, searched from its handle.
        lib.loaded = bind(handle, "secret_password_storev_sync", lib.store) &&
                     bind(handle, "secret_password_lookupv_sync", lib.lookup) &&
                     bind(handle, "secret_password_clearv_sync", lib.clear) &&
                     bind(handle, "secret_password_free", lib.free_password) &&
                     bind(handle, "g_hash_table_new", lib.hash_table_new) &&
                     bind(handle, "g_hash_table_insert", lib.hash_table_insert) &&
                     bind(handle, "g_hash_table_unref", lib.hash_table_unref) &&
                     bind(handle, "g_str_hash", lib.str_hash) &&
                     bind(handle, "g_str_equal", lib.str_equal) &&
                     bind(handle, "g_cancellable_new", lib.cancellable_new) &&
                     bind(handle, "g_cancellable_cancel", lib.cancellable_cancel) &&
                     bind(handle, "g_object_ref", lib.object_ref) &&
                     bind(handle, "g_object_unref", lib.object_unref) &&
                     bind(handle, "g_error_free", lib.error_free);
        return lib;
    }();
    return loaded;
}

std::string utf8_of(const Text& text) {
    std::string utf8;
    convert_charset(text, "GBK", "UTF-8", utf8);
    return utf8;
}

// What one call into the store came to.
struct Answer {
    bool done = false;
    bool ok = false;
    std::optional<Text> password;  // a lookup's result (GBK)
};

// Runs `call` (given the cancellable it must honour) on a thread of its own and waits
// for it within the limit; past the limit the call is cancelled, and its thread is left
// to end by itself should the cancellation take a while.
Answer within_limit(const std::function<Answer(GCancellable*)>& call) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable finished;
        Answer answer;
    };
    const Library& lib = library();
    auto shared = std::make_shared<Shared>();
    // One reference for each side: either may be the last to let go.
    GCancellable* cancellable = lib.cancellable_new();
    lib.object_ref(cancellable);
    std::thread worker([shared, call, cancellable, &lib] {
        Answer answer = call(cancellable);
        lib.object_unref(cancellable);
        const std::lock_guard lock(shared->mutex);
        shared->answer = std::move(answer);
        shared->answer.done = true;
        shared->finished.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    if (!shared->finished.wait_for(lock, kAnswerLimit, [&] { return shared->answer.done; })) {
        lib.cancellable_cancel(cancellable);
        if (!shared->finished.wait_for(lock, kAnswerLimit / 4,
                                       [&] { return shared->answer.done; })) {
            lock.unlock();
            lib.object_unref(cancellable);
            worker.detach();
            return {};
        }
    }
    lib.object_unref(cancellable);
    Answer answer = shared->answer;
    lock.unlock();
    worker.join();
    return answer;
}

class Attributes {
  public:
    explicit Attributes(const Text& id) : lib_(library()), id_(utf8_of(id)) {
        table_ = lib_.hash_table_new(lib_.str_hash, lib_.str_equal);
        lib_.hash_table_insert(table_, const_cast<char*>("program"), const_cast<char*>("velmora"));
        lib_.hash_table_insert(table_, const_cast<char*>("id"), id_.data());
    }
    ~Attributes() { lib_.hash_table_unref(table_); }
    Attributes(const Attributes&) = delete;
    Attributes& operator=(const Attributes&) = delete;
    GHashTable* table() const { return table_; }

  private:
    const Library& lib_;
    std::string id_;
    GHashTable* table_;
};

class SecretServiceStore : public TokenStore {
  public:
    Text keep(const Text& id, const Text& token) override {
        if (!library().loaded) {
            return no_library();
        }
        const std::string password = utf8_of(token);
        const Answer answer = within_limit([id, password](GCancellable* cancellable) {
            const Library& lib = library();
            const Attributes attributes(id);
            GError* error = nullptr;
            const std::string label = "Velmora API token (ID " + utf8_of(id) + ")";
            Answer result;
            result.ok = lib.store(&kSchema, attributes.table(), kDefaultCollection, label.c_str(),
                                  password.c_str(), cancellable, &error) != 0;
            if (error != nullptr) {
                result.ok = false;
                lib.error_free(error);
            }
            return result;
        });
        return answer.ok ? Text() : unreachable();
    }

    TokenLookup find(const Text& id) override {
        if (!library().loaded) {
            return {std::nullopt, no_library()};
        }
        const Answer answer = within_limit([id](GCancellable* cancellable) {
            const Library& lib = library();
            const Attributes attributes(id);
            GError* error = nullptr;
            char* found = lib.lookup(&kSchema, attributes.table(), cancellable, &error);
            Answer result;
            result.ok = error == nullptr;
            if (error != nullptr) {
                lib.error_free(error);
            }
            if (found != nullptr) {
                Text token;
                convert_charset(found, "UTF-8", "GBK", token);
                result.password = token;
                lib.free_password(found);
            }
            return result;
        });
        if (answer.password && !answer.password->empty()) {
            return {answer.password, {}};
        }
        return {std::nullopt, answer.ok ? gbk("密钥环中没有这个ID的Token") : unreachable()};
    }

    void forget(const Text& id) override {
        if (!library().loaded) {
            return;
        }
        within_limit([id](GCancellable* cancellable) {
            const Library& lib = library();
            const Attributes attributes(id);
            GError* error = nullptr;
            lib.clear(&kSchema, attributes.table(), cancellable, &error);
            if (error != nullptr) {
                lib.error_free(error);
            }
            return Answer{};
        });
    }

  private:
    static Text no_library() {
        return gbk("找不到 libsecret（libsecret-1-0），无法使用桌面的密钥环");
    }
    static Text unreachable() {
        return gbk("桌面的密钥环（Secret Service）没有在2秒内应答，或拒绝了保存");
    }
};

}  // namespace

std::unique_ptr<TokenStore> platform_token_store(const Text&) {
    return std::make_unique<SecretServiceStore>();
}

}  // namespace velmora
