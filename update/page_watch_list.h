// The records the user watches: per record page, 40 slots, slot k belonging to row k of
// the page's list (up to 20 A records, then up to 20 AAAA records). The window thread
// writes them from the row check boxes while the update thread reads them, so every
// access takes the one lock, per field or per slot, and never holds it beyond that
// access.
#pragma once

#include <array>
#include <mutex>

#include "base/controls/control_names.h"
#include "base/types.h"

namespace velmora {

struct WatchSlot {
    int flag = 0;  // 1: watched
    Text domainId;
    Text recordId;
    Text subDomain;
    Text recordType;
};

enum class WatchField { domainId, recordId, subDomain, recordType };

class PageWatchList {
  public:
    static constexpr int kSlotCount = 40;

    // Pages 1 to 6 and slots 1 to kSlotCount; any other index reads as an unwatched empty slot
    // and is ignored on writing.
    int flag(int page, int slot) const;
    void set_flag(int page, int slot, int flag);
    Text text(int page, int slot, WatchField field) const;
    void set_text(int page, int slot, WatchField field, const Text& value);
    // All five fields of one slot, read together.
    WatchSlot slot(int page, int slot) const;

  private:
    static bool valid(int page, int slot);
    static Text WatchSlot::*member(WatchField field);

    mutable std::mutex mutex_;
    std::array<std::array<WatchSlot, kSlotCount>, control::kPageCount> pages_;
};

}  // namespace velmora
