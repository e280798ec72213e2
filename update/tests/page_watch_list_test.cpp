#include "update/page_watch_list.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(PageWatchList, StartsUnwatchedAndEmpty) {
    const PageWatchList watch;
    for (int page = 1; page <= 6; ++page) {
        for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
            EXPECT_EQ(watch.flag(page, slot), 0);
            EXPECT_EQ(watch.text(page, slot, WatchField::recordId), "");
        }
    }
}

TEST(PageWatchList, PagesAndSlotsAreIndependent) {
    PageWatchList watch;
    watch.set_flag(2, 14, 1);
    watch.set_text(2, 14, WatchField::domainId, "7002");
    watch.set_text(2, 14, WatchField::recordId, "91");
    watch.set_text(2, 14, WatchField::subDomain, "home");
    watch.set_text(2, 14, WatchField::recordType, "A");
    watch.set_flag(5, 14, 1);
    watch.set_text(5, 14, WatchField::recordId, "55");

    const WatchSlot slot = watch.slot(2, 14);
    EXPECT_EQ(slot.flag, 1);
    EXPECT_EQ(slot.domainId, "7002");
    EXPECT_EQ(slot.recordId, "91");
    EXPECT_EQ(slot.subDomain, "home");
    EXPECT_EQ(slot.recordType, "A");
    EXPECT_EQ(watch.text(5, 14, WatchField::recordId), "55");
    EXPECT_EQ(watch.flag(2, 13), 0);
    EXPECT_EQ(watch.flag(1, 14), 0);

    // Unwatching clears only the flag; the copies stay until the next tick.
    watch.set_flag(2, 14, 0);
    EXPECT_EQ(watch.flag(2, 14), 0);
    EXPECT_EQ(watch.text(2, 14, WatchField::subDomain), "home");
}

TEST(PageWatchList, IndexesOutsideTheTablesAreIgnored) {
    PageWatchList watch;
    for (const auto& [page, slot] : {std::pair{0, 1}, {7, 1}, {1, 0}, {1, 41}, {-1, -1}}) {
        watch.set_flag(page, slot, 1);
        watch.set_text(page, slot, WatchField::recordId, "x");
        EXPECT_EQ(watch.flag(page, slot), 0);
        EXPECT_EQ(watch.slot(page, slot).recordId, "");
    }
}

}  // namespace
}  // namespace velmora
