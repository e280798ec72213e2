#include "velmora_program.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"
#include "http/http_request.h"

namespace velmora {

using std::chrono::milliseconds;

namespace {

// Memory inside the program's process for one item structure followed by its text.
class RemoteItem {
  public:
    static constexpr std::size_t kTextSize = 512;  // characters

    RemoteItem(HANDLE process, std::size_t item_size) : process_(process), item_size_(item_size) {
        base_ = static_cast<char*>(VirtualAllocEx(
            process, nullptr, item_size + kTextSize * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    LPARAM item() const { return reinterpret_cast<LPARAM>(base_); }
    wchar_t* text() const { return reinterpret_cast<wchar_t*>(base_ + item_size_); }
    void write(const void* item) const {
        WriteProcessMemory(process_, base_, item, item_size_, nullptr);
        const wchar_t empty = 0;
        WriteProcessMemory(process_, text(), &empty, sizeof empty, nullptr);
    }
    std::wstring read_text() const {
        wchar_t buffer[kTextSize] = {};
        ReadProcessMemory(process_, text(), buffer, (kTextSize - 1) * sizeof(wchar_t), nullptr);
        return buffer;
    }

  private:
    HANDLE process_;
    std::size_t item_size_;
    char* base_ = nullptr;
};

// The main window's controls of one class, in the order they were created.
std::vector<HWND> controls_of_class(HWND window, const wchar_t* window_class) {
    struct Search {
        const wchar_t* window_class;
        std::vector<HWND> found;
    } search{window_class, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) {
            auto& search = *reinterpret_cast<Search*>(parameter);
            if (lstrcmpiW(class_name(child).c_str(), search.window_class) == 0) {
                search.found.push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void post_key(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

}  // namespace

bool wait_until(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

std::wstring window_text(HWND window) {
    std::vector<wchar_t> buffer(65536);
    const auto length =
        SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring class_name(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::size_t occurrences(const std::wstring& text, const std::wstring& piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::wstring::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

Text sandbox_control(const Text& route, int method) {
    return http_request_simple(
        "http://localhost:" + std::to_string(VELMORA_TEST_CONTROL_PORT) + "/control/" + route,
        method);
}

std::wstring built_program() {
    std::wstring built = wide_text(VELMORA_TEST_EXECUTABLE);
    std::replace(built.begin(), built.end(), L'/', L'\\');
    return built;
}

std::wstring folder_beside_program(const std::wstring& name) {
    const std::wstring built = built_program();
    return built.substr(0, built.find_last_of(L'\\')) + L"\\" + name;
}

Text fresh_settings(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const Text settings = gbk_path(folder) + "\\velmora.ini";
    DeleteFileW(wide_text(settings).c_str());
    write_ini_item(settings, gbk("登入数据"), "ID", "100001");
    return settings;
}

Text file_bytes(const Text& gbk_path) {
    Text bytes;
    if (std::FILE* file = _wfopen(wide_text(gbk_path).c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, read);
        }
        std::fclose(file);
    }
    return bytes;
}

Program::Program(const std::wstring& folder, const std::wstring& arguments)
    : path_(folder + L"\\velmora.exe") {
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyFileW(built_program().c_str(), path_.c_str(), FALSE)) {
        return;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + path_ + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info_)) {
        CloseHandle(info_.hThread);
    }
}

Program::~Program() {
    if (info_.hProcess != nullptr) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);  // before the next run replaces it
        CloseHandle(info_.hProcess);
    }
}

long Program::exit_code_within(milliseconds limit) const {
    DWORD code = 0;
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code)) {
        return -1;
    }
    return static_cast<long>(code);
}

std::vector<HWND> Program::windows() const {
    struct Search {
        DWORD process_id;
        std::vector<HWND> found;
    } search{info_.dwProcessId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) {
            auto& search = *reinterpret_cast<Search*>(parameter);
            DWORD process_id = 0;
            GetWindowThreadProcessId(window, &process_id);
            if (process_id == search.process_id) {
                search.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::find_window(const wchar_t* window_class, HWND owner, bool hidden_too) const {
    for (HWND window : windows()) {
        if (class_name(window) == window_class && GetWindow(window, GW_OWNER) == owner &&
            (hidden_too || IsWindowVisible(window))) {
            return window;
        }
    }
    return nullptr;
}

HWND Program::main_window() const {
    HWND window = nullptr;
    wait_until(
        [&] {
            window = find_window(L"VelmoraMainWindow", nullptr, true);
            return window != nullptr && window_text(window).find(L'|') != std::wstring::npos;
        },
        milliseconds(20000));
    return window;
}

template <typename Item>
std::wstring Program::remote_text(HWND control, UINT message, int index, Item item) const {
    RemoteItem remote(info_.hProcess, sizeof item);
    item.pszText = remote.text();
    item.cchTextMax = RemoteItem::kTextSize;
    remote.write(&item);
    SendMessageW(control, message, static_cast<WPARAM>(index), remote.item());
    return remote.read_text();
}

std::wstring Program::list_cell(HWND list, int row, int column) const {
    LVITEMW item{};
    item.iSubItem = column;
    return remote_text(list, LVM_GETITEMTEXTW, row, item);
}

std::wstring Program::tab_caption(HWND tabs, int index) const {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    return remote_text(tabs, TCM_GETITEMW, index, item);
}

void Program::tick_row(HWND list, int row) const {
    RemoteItem remote(info_.hProcess, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    remote.write(&item);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.item());
}

std::string Program::describe() const {
    DWORD exit_code = 0;
    GetExitCodeProcess(info_.hProcess, &exit_code);
    std::string lines =
        exit_code == STILL_ACTIVE ? "running\n" : "exited with " + std::to_string(exit_code) + "\n";
    for (HWND window : windows()) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "window %p class %s owner %p visible %d: ", static_cast<void*>(window),
                      utf8(class_name(window)).c_str(),
                      static_cast<void*>(GetWindow(window, GW_OWNER)),
                      IsWindowVisible(window) ? 1 : 0);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        lines += std::string(line) + utf8(text) + "\n";
    }
    return lines;
}

MainControls::MainControls(HWND window) {
    const std::vector<HWND> edits = controls_of_class(window, L"Edit");
    if (edits.size() == 3) {
        id_edit = edits[0];
        token_edit = edits[1];
        run_log = edits[2];
    }
    for (HWND button : controls_of_class(window, L"Button")) {
        if (window_text(button) == L"登入") {
            login = button;
        }
    }
    const std::vector<HWND> tab_controls = controls_of_class(window, WC_TABCONTROLW);
    tabs = tab_controls.size() == 1 ? tab_controls[0] : nullptr;
    lists = controls_of_class(window, WC_LISTVIEWW);
}

bool row_ticked(HWND list, int row) {
    const auto state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void log_in(const Program& program, HWND window) {
    const MainControls controls(window);
    ASSERT_NE(controls.login, nullptr);
    ASSERT_EQ(controls.lists.size(), 6U);
    SendMessageW(controls.token_edit, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24"));
    // What a click on the button sends its parent. (BM_CLICK, which goes through the
    // button's own mouse handling, once left the login unstarted here under Wine.)
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(controls.login), BN_CLICKED),
                 reinterpret_cast<LPARAM>(controls.login));
    HWND box = nullptr;
    ASSERT_TRUE(
        wait_until([&] { return (box = program.find_window(L"#32770", window)) != nullptr; },
                   milliseconds(20000)))
        << "login button " << (IsWindowEnabled(controls.login) ? "enabled" : "disabled") << "\n"
        << program.describe() << "run log: " << utf8(window_text(controls.run_log))
        << "\nthe sandbox's counters: " << sandbox_control("counters", 0)
        << "\nits API requests: " << sandbox_control("requests", 0);
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), L"登入成功");
    EXPECT_EQ(window_text(box), L"信息：");
    // Disabled while the login runs, so a second click cannot start another inside it.
    EXPECT_FALSE(IsWindowEnabled(controls.login));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(wait_until(
        [&] {
            return IsWindowEnabled(controls.login) &&
                   SendMessageW(controls.lists[2], LVM_GETITEMCOUNT, 0, 0) > 0;
        },
        milliseconds(20000)));
}

testing::AssertionResult run_log_shows(HWND run_log, const std::wstring& piece) {
    if (wait_until([&] { return window_text(run_log).find(piece) != std::wstring::npos; },
                   milliseconds(20000))) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the run log holds: " << utf8(window_text(run_log));
}

bool tray_icon_present(HWND tray_window) {
    // The shell finds an icon by its window and id; a change that changes nothing is
    // taken only when the icon is there.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = tray_window;
    data.uID = 1;
    return tray_window != nullptr && Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void click_tray_icon(HWND tray_window, UINT mouse_message) {
    constexpr UINT kCallbackMessage = WM_APP + 10;
    PostMessageW(tray_window, kCallbackMessage, 1, mouse_message);
}

HWND open_tray_menu(const Program& program, HWND tray_window) {
    click_tray_icon(tray_window, WM_RBUTTONUP);
    HWND menu = nullptr;
    wait_until(
        [&] {
            for (HWND window : program.windows()) {
                if (class_name(window) == L"#32768" && IsWindowVisible(window)) {
                    menu = window;
                    return true;
                }
            }
            return false;
        },
        milliseconds(5000));
    return menu;
}

void choose_menu_item(HWND menu_window, int index) {
    for (int i = 0; i <= index; ++i) {
        post_key(menu_window, VK_DOWN);
    }
    post_key(menu_window, VK_RETURN);
}

void choose_in_tray_menu(const Program& program, HWND tray_window, TrayMenuItem item) {
    HWND menu = open_tray_menu(program, tray_window);
    ASSERT_NE(menu, nullptr) << program.describe();
    choose_menu_item(menu, item);
    ASSERT_TRUE(
        wait_until([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, milliseconds(5000)));
}

std::wstring balloon_text() {
    std::wstring text;
    EnumWindows(
        [](HWND window, LPARAM found) {
            if (class_name(window) == TOOLTIPS_CLASSW && IsWindowVisible(window) &&
                (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) != 0) {
                *reinterpret_cast<std::wstring*>(found) = window_text(window);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

void ExecutableTest::SetUp() {
    ASSERT_TRUE(api_relay_->listening());
    ASSERT_TRUE(dns_relay_.listening());
    ASSERT_TRUE(time_relay_.listening());
    sandbox_control("public-address?ip=198.51.100.10", 1);
    sandbox_control("public-address6?ip=2001:db8::10", 1);
    // What records 5001 (www), 5029 (www, AAAA) and 7002 (vpn) hold; a run before this one
    // may have changed them.
    sandbox_control("record-value?record_id=5001&value=198.51.100.10", 1);
    sandbox_control("record-value?record_id=5029&value=2001:db8::10", 1);
    sandbox_control("record-value?record_id=7002&value=192.0.2.2", 1);
}

}  // namespace velmora
