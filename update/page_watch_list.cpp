#include "update/page_watch_list.h"

namespace velmora {

bool PageWatchList::valid(int page, int slot) {
    return page >= 1 && page <= control::kPageCount && slot >= 1 && slot <= kSlotCount;
}

Text WatchSlot::*PageWatchList::member(WatchField field) {
    switch (field) {
        case WatchField::domainId:
            return &WatchSlot::domainId;
        case WatchField::recordId:
            return &WatchSlot::recordId;
        case WatchField::subDomain:
            return &WatchSlot::subDomain;
        case WatchField::recordType:
            break;
    }
    return &WatchSlot::recordType;
}

int PageWatchList::flag(int page, int slot) const {
    if (!valid(page, slot)) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    return pages_[page - 1][slot - 1].flag;
}

void PageWatchList::set_flag(int page, int slot, int flag) {
    if (!valid(page, slot)) {
        return;
    }
    std::lock_guard lock(mutex_);
    pages_[page - 1][slot - 1].flag = flag;
}

Text PageWatchList::text(int page, int slot, WatchField field) const {
    if (!valid(page, slot)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return pages_[page - 1][slot - 1].*member(field);
}

void PageWatchList::set_text(int page, int slot, WatchField field, const Text& value) {
    if (!valid(page, slot)) {
        return;
    }
    std::lock_guard lock(mutex_);
    pages_[page - 1][slot - 1].*member(field) = value;
}

WatchSlot PageWatchList::slot(int page, int slot) const {
    if (!valid(page, slot)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return pages_[page - 1][slot - 1];
}

}  // namespace velmora
