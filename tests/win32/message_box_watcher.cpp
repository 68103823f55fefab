#include "tests/win32/message_box_watcher.h"

namespace test {
namespace {

struct Search {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) != L"#32770") return TRUE;
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  if (*search->caption != caption) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK ReadChild(HWND child, LPARAM context) {
  auto* seen = reinterpret_cast<SeenMessageBox*>(context);
  wchar_t className[64] = {};
  GetClassNameW(child, className, 64);
  const std::wstring kind = className;
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (kind == L"Button") {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) seen->buttonIds.push_back(GetDlgCtrlID(child));
  } else if (kind == L"Static" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
             SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    seen->hasIcon = true;
  }
  return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(std::wstring caption) : caption_(std::move(caption)) {
  thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() { Result(); }

SeenMessageBox MessageBoxWatcher::Result() {
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return seen_;
}

DWORD WINAPI MessageBoxWatcher::Watch(void* context) {
  auto* self = static_cast<MessageBoxWatcher*>(context);
  const ULONGLONG deadline = GetTickCount64() + 20000;
  Search search{&self->caption_, nullptr};
  while (search.found == nullptr && GetTickCount64() < deadline) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Sleep(20);
  }
  if (search.found == nullptr) return 0;
  SeenMessageBox& seen = self->seen_;
  seen.found = true;
  seen.caption = self->caption_;
  // The message text is the box's static control 0xFFFF, on Windows and wine.
  wchar_t text[2048] = {};
  GetDlgItemTextW(search.found, 0xFFFF, text, 2048);
  seen.text = text;
  EnumChildWindows(search.found, ReadChild, reinterpret_cast<LPARAM>(&seen));
  PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

}  // namespace test
