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

// The columns of a record list, counted from 0.
namespace column {
constexpr int kRecordId = 0;  // 域名ID: the record id; row 0 holds the domain id
constexpr int kHost = 1;      // 主机记录
constexpr int kType = 2;      // 记录类型
constexpr int kValue = 3;     // 记录值
constexpr int kTtl = 4;       // TTL
constexpr int kStatus = 5;    // 状态
constexpr int kCount = 6;
}  // namespace column

}  // namespace velmora::control
