#include "app/window/window_layout.h"

#include "base/gbk.h"

namespace velmora::layout {

const std::vector<ControlLayout>& controls() {
    static const std::vector<ControlLayout> table = {
        {control::label(1), Kind::label, "ID", {18, 8, 24, 32}, Font::caption, Colour::black},
        {control::id_edit(),
         Kind::line_edit,
         {},
         {55, 11, 119, 27},
         Font::standard,
         Colour::standard},
        {control::label(2), Kind::label, "Token", {184, 8, 50, 32}, Font::caption, Colour::black},
        {control::token_edit(),
         Kind::line_edit,
         {},
         {246, 11, 234, 27},
         Font::standard,
         Colour::standard},
        {control::login_button(),
         Kind::button,
         gbk("登入"),
         {487, 8, 80, 32},
         Font::standard,
         Colour::standard},
        {control::remember_box(),
         Kind::check_box,
         gbk("记住数据"),
         {573, 8, 75, 16},
         Font::standard,
         Colour::standard},
        // The link sits over the lower half of the check box's cell, as designed.
        {control::label(3),
         Kind::label,
         gbk("注册ID\\官网"),
         {568, 21, 80, 23},
         Font::link,
         Colour::link_blue},
        {control::record_tabs(),
         Kind::tabs,
         {},
         {0, 48, kClientWidth, 296},
         Font::standard,
         Colour::standard},
        {control::run_log(),
         Kind::log,
         {},
         {0, 344, kClientWidth, 144},
         Font::standard,
         Colour::standard},
    };
    return table;
}

const std::array<Column, control::column::kCount>& record_columns(int page) {
    const auto columns = [](int value_width) {
        return std::array<Column, control::column::kCount>{{
            {gbk("域名ID"), 105, true},
            {gbk("主机记录"), 105, false},
            {gbk("记录类型"), 105, false},
            {gbk("记录值"), value_width, false},
            {"TTL", 105, false},
            {gbk("状态"), 105, true},
        }};
    };
    static const auto first = columns(127);
    static const auto others = columns(131);
    return page == 1 ? first : others;
}

}  // namespace velmora::layout
