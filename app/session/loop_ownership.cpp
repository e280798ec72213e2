#include "app/session/loop_ownership.h"

#include <cstdint>
#include <cstdio>

#include "base/gbk.h"

namespace velmora {

namespace {

// A lock in a folder that many settings files share needs a name of its own per file.
Text lock_name_for(const Text& settings_file) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char byte : settings_file) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "velmora-%016llx.lock", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

LoopOwnership::LoopOwnership(const SettingsLocation& settings) : settings_(settings) {}

void LoopOwnership::take(const Text& path, FileLock::Refusal* refusal) {
    if (std::optional<FileLock> taken = FileLock::take(path, refusal)) {
        lock_.emplace(std::move(*taken));
    }
}

LoopOwnership::Claim LoopOwnership::claim() {
    if (lock_) {
        return Claim::owned;
    }
    const Text beside =
        settings_.directory.empty() ? Text() : settings_.directory + "/velmora.lock";
    FileLock::Refusal refusal = FileLock::Refusal::cannot_open;
    if (!beside.empty()) {
        take(beside, &refusal);
    }
    if (!lock_ && refusal == FileLock::Refusal::cannot_open) {
        const Text folder = runtime_lock_directory();
        const Text elsewhere =
            folder.empty() ? Text() : folder + "/" + lock_name_for(settings_.settings_file);
        if (!elsewhere.empty()) {
            take(elsewhere, &refusal);
        }
        if (lock_) {
            note_ =
                gbk("设置文件夹无法写入，更新锁不能放在 ") + beside + gbk("，改放在 ") + elsewhere;
            return Claim::owned;
        }
        if (refusal == FileLock::Refusal::cannot_open) {
            note_ = gbk("无法写入更新锁：") +
                    (beside.empty() ? gbk("（没有设置文件夹）") : beside) +
                    (elsewhere.empty() ? gbk("，也没有可用的运行目录")
                                       : gbk("，也无法写入 ") + elsewhere);
            return Claim::unlockable;
        }
    }
    if (!lock_) {
        note_ = gbk("另一个运行中的velmora正在为这个设置文件更新记录，这里不再另外更新：") +
                settings_.settings_file;
        return Claim::held_elsewhere;
    }
    note_.clear();
    return Claim::owned;
}

}  // namespace velmora
