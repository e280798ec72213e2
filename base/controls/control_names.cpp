#include "base/controls/control_names.h"

#include <array>

#include "base/gbk.h"

namespace velmora::control {

const Text& id_edit() {
    return gbk("ID1");
}
const Text& token_edit() {
    return gbk("Token");
}
const Text& remember_box() {
    return gbk("选择框1");
}
const Text& login_button() {
    return gbk("登入验证");
}
const Text& record_tabs() {
    return gbk("选择夹1");
}
const Text& run_log() {
    return gbk("运行栏");
}
const Text& default_box_caption() {
    return gbk("信息：");
}

const Text& record_list(int page) {
    static constexpr std::array<Utf8Literal, kPageCount> names = {
        "超级列表框1", "超级列表框2", "超级列表框3", "超级列表框4", "超级列表框5", "超级列表框6"};
    static const Text none;
    return page >= 1 && page <= kPageCount ? gbk(names[page - 1]) : none;
}

const Text& label(int n) {
    static constexpr std::array<Utf8Literal, 3> names = {"透明标签1", "透明标签2", "透明标签3"};
    static const Text none;
    return n >= 1 && n <= 3 ? gbk(names[n - 1]) : none;
}

}  // namespace velmora::control
