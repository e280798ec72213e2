// Which run keeps the records of one settings file up to date: the one that holds the
// loop's lock. Any other run on the same settings (a window beside a service, a second
// window) shows and saves as usual but runs no loop, so a change of address costs one
// Record.Modify per record, not one per run.
#pragma once

#include <optional>

#include "base/system/file_lock.h"
#include "base/system/settings_location.h"
#include "base/types.h"

namespace velmora {

class LoopOwnership {
  public:
    enum class Claim {
        owned,           // this run holds the lock
        held_elsewhere,  // another run holds it and keeps the records
        unlockable,      // no lock can be made anywhere (see note())
    };

    explicit LoopOwnership(const SettingsLocation& settings);

    // Takes the lock unless this run holds it already: velmora.lock beside the
    // settings, or where that folder cannot be written, a lock named after the settings
    // file in the runtime folder (see runtime_lock_directory).
    Claim claim();

    // The line the last claim is worth in the log: that another run keeps the records,
    // that the settings' folder could not be written and where the lock went instead,
    // or what could not be written at all; empty for a plain lock beside the settings.
    const Text& note() const { return note_; }

  private:
    void take(const Text& path, FileLock::Refusal* refusal);

    const SettingsLocation settings_;
    std::optional<FileLock> lock_;
    Text note_;
};

}  // namespace velmora
