#include "app/win32/option_items.h"

#include "base/win32/wide_text.h"

namespace velmora {

namespace {

constexpr UINT kFirstCommand = 0x100;
constexpr UINT kCommandStep = 0x10;
// Beyond any option's command.
constexpr UINT kStatusCommand = kFirstCommand + 15 * kCommandStep;

UINT check_flag(const OptionItem& item) {
    return item.is_on() ? MF_CHECKED : MF_UNCHECKED;
}

}  // namespace

UINT option_command(std::size_t index) {
    return kFirstCommand + static_cast<UINT>(index) * kCommandStep;
}

void append_option_items(HMENU menu, const OptionItems& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        AppendMenuW(menu, MF_STRING | check_flag(items[i]), option_command(i),
                    wide_text(shown_caption(items[i])).c_str());
    }
}

void check_option_items(HMENU menu, const OptionItems& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        ModifyMenuW(menu, option_command(i), MF_BYCOMMAND | MF_STRING | check_flag(items[i]),
                    option_command(i), wide_text(shown_caption(items[i])).c_str());
    }
}

bool choose_option_item(const OptionItems& items, UINT command) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (option_command(i) == command) {
            items[i].turn(!items[i].is_on());
            return true;
        }
    }
    return false;
}

void append_status_line(HMENU menu, const StatusLine& line) {
    if (!line) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | MF_GRAYED, kStatusCommand, wide_text(line()).c_str());
}

void update_status_line(HMENU menu, const StatusLine& line) {
    if (line) {
        ModifyMenuW(menu, kStatusCommand, MF_BYCOMMAND | MF_STRING | MF_GRAYED, kStatusCommand,
                    wide_text(line()).c_str());
    }
}

}  // namespace velmora
