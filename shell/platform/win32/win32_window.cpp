// The form, its message boxes and the message pump on plain Win32 windows: a
// top-level window with a fixed thin border, STATIC controls for the labels
// and read-only EDIT controls for the text boxes.
//
// Closing the window ends the program, but not from inside the window
// procedure: Windows calls it through its own frames, which a C++ exception
// must never cross. The procedure only notes the request; DoEvents ends the
// program once PeekMessage has returned.
#include "shell/platform/win32/win32_window.h"

#include <cstdio>
#include <string>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/win32/icon_file.h"
#include "shell/platform/win32/win32_text.h"

namespace win32 {
namespace {

struct Control {
  platform::ControlKind kind;
  HWND window;
};

struct Form {
  HWND window = nullptr;
  HFONT font = nullptr;
  HICON icon = nullptr;
  std::vector<Control> controls;
  bool closeRequested = false;
};

Form& TheForm() {
  static Form form;
  return form;
}

bool IsTextBox(const Form& form, HWND window) {
  for (const Control& control : form.controls) {
    if (control.window == window) return control.kind == platform::ControlKind::TextBox;
  }
  return false;
}

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Form& form = TheForm();
  switch (message) {
    case WM_CLOSE:
      form.closeRequested = true;
      return 0;
    case WM_DESTROY:
      form.closeRequested = true;
      return 0;
    case WM_CTLCOLORSTATIC:
      // A read-only edit control asks for the dialog colour; the text boxes
      // keep the white field of an ordinary one.
      if (IsTextBox(form, reinterpret_cast<HWND>(lParam))) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HICON CreateFormIcon(const platform::IconImage& image) {
  std::vector<uint8_t> bytes = IconResourceBytes(image);
  return CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), TRUE, 0x00030000,
                                  platform::IconImage::kSize, platform::IconImage::kSize, LR_DEFAULTCOLOR);
}

// Points to a character height in pixels, negative as CreateFont wants it for
// the height of the characters rather than of the cell.
int FontHeight(double points) {
  return -static_cast<int>(points * ScreenDpi() / 72.0 + 0.5);
}

HFONT CreateFormFont(const platform::FontDescription& font) {
  return CreateFontW(FontHeight(font.points), 0, 0, 0, font.weight, font.italic ? TRUE : FALSE,
                     font.underline ? TRUE : FALSE, font.strikeout ? TRUE : FALSE,
                     static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Widen(font.face).c_str());
}

[[noreturn]] void RaiseLastError(const std::string& what) {
  const DWORD error = GetLastError();
  throw platform::RuntimeError(static_cast<int32_t>(HRESULT_FROM_WIN32(error)),
                               what + " (system error " + std::to_string(error) + ")");
}

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

HWND MainWindow() { return TheForm().window; }

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int PixelsFromTwips(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }

}  // namespace win32

namespace platform {

void ShowForm(const FormDescription& description) {
  win32::Form& form = win32::TheForm();
  if (form.window != nullptr) {
    ShowWindow(form.window, SW_SHOW);
    return;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (description.icon != nullptr) form.icon = win32::CreateFormIcon(*description.icon);

  // The window class bears the form's name.
  const std::wstring className = win32::Widen(description.name);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = win32::FormProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = form.icon;
  windowClass.hIconSm = form.icon;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className.c_str();
  if (RegisterClassExW(&windowClass) == 0) win32::RaiseLastError("Cannot register the window class");

  // The client area has the form's size; the frame goes round it, and the
  // whole opens centred on the desktop's free area.
  RECT frame{0, 0, win32::PixelsFromTwips(description.clientWidth), win32::PixelsFromTwips(description.clientHeight)};
  AdjustWindowRectEx(&frame, win32::kFormStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT desk{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0)) {
    desk = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = desk.left + (desk.right - desk.left - width) / 2;
  const int y = desk.top + (desk.bottom - desk.top - height) / 2;

  form.window = CreateWindowExW(0, className.c_str(), win32::Widen(description.title).c_str(), win32::kFormStyle, x, y,
                                width, height, nullptr, nullptr, instance, nullptr);
  if (form.window == nullptr) win32::RaiseLastError("Cannot create the window");
  if (form.icon != nullptr) {
    SendMessageW(form.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(form.icon));
    SendMessageW(form.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(form.icon));
  }

  form.font = win32::CreateFormFont(description.font);
  int id = 1;
  for (const ControlDescription& control : description.controls) {
    const bool textBox = control.kind == ControlKind::TextBox;
    const DWORD style = WS_CHILD | WS_VISIBLE | (textBox ? ES_LEFT | ES_AUTOHSCROLL | ES_READONLY : SS_LEFT);
    HWND child = CreateWindowExW(textBox ? WS_EX_CLIENTEDGE : 0, textBox ? L"EDIT" : L"STATIC",
                                 win32::Widen(control.text).c_str(), style, win32::PixelsFromTwips(control.left),
                                 win32::PixelsFromTwips(control.top), win32::PixelsFromTwips(control.width),
                                 win32::PixelsFromTwips(control.height), form.window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    if (child == nullptr) win32::RaiseLastError("Cannot create the control " + control.name);
    if (form.font != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(form.font), FALSE);
    form.controls.push_back({control.kind, child});
  }

  ShowWindow(form.window, SW_SHOWNORMAL);
  // Drawn now: the sound-driver message may follow before any message is
  // processed, and the window should be seen behind it.
  UpdateWindow(form.window);
}

WindowHandle FormHandle() { return reinterpret_cast<WindowHandle>(win32::TheForm().window); }

void SetControlText(int controlIndex, const std::string& text) {
  win32::Form& form = win32::TheForm();
  if (controlIndex < 0 || static_cast<size_t>(controlIndex) >= form.controls.size()) {
    throw RuntimeError(kErrInvalidArgument, "No control " + std::to_string(controlIndex) + " on the form");
  }
  HWND control = form.controls[static_cast<size_t>(controlIndex)].window;
  SetWindowTextW(control, win32::Widen(text).c_str());
  // Shown at once, not at the next pass of a wait loop.
  UpdateWindow(control);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  if (MessageBoxW(win32::TheForm().window, win32::Widen(text).c_str(), win32::Widen(caption).c_str(), MB_OK) == 0) {
    // With no way to show it, the message at least reaches whoever started us.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
  }
}

void DoEvents() {
  win32::Form& form = win32::TheForm();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      form.closeRequested = true;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (form.closeRequested) {
    form.closeRequested = false;
    EndProgram(0);
  }
}

}  // namespace platform
