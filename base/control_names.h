// The names by which the logic addresses the main window's controls (GBK).
#pragma once

#include "base/types.h"

namespace velmora::control {

const Text& id_edit();              // ID1
const Text& token_edit();           // Token
const Text& remember_box();         // 选择框1
const Text& login_button();         // 登入验证
const Text& record_tabs();          // 选择夹1
const Text& record_list(int page);  // 超级列表框1 … 超级列表框6 for page 1 … 6
const Text& run_log();              // 运行栏
const Text& label(int n);           // 透明标签1 … 透明标签3

// The caption of a message box that names none: 信息：
const Text& default_box_caption();

constexpr int kPageCount = 6;

}  // namespace velmora::control
