// The form, its message boxes and the message pump on plain Win32 windows: a
// top-level window with a fixed thin border, STATIC controls for the labels
// and read-only EDIT controls for the text boxes, each control's id its index
// in the form's description plus one.
//
// Closing the window ends the program, but not from inside the window
// procedure: Windows calls it through its own frames, which a C++ exception
// must never cross. The procedure only notes the request; DoEvents ends the
// program once PeekMessage has returned.
#include <windows.h>

#include <string>

#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_text.h"

namespace {

HWND Form = nullptr;
bool CloseRequested = false;

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    CloseRequested = true;
    return 0;
  }
  // A read-only edit control asks for the dialog's colour; the text boxes,
  // the only controls with a sunken edge, keep the white field of an
  // ordinary one.
  if (message == WM_CTLCOLORSTATIC &&
      (GetWindowLongW(reinterpret_cast<HWND>(lParam), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0) {
    SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

namespace platform {

void ShowForm(const FormDescription& description) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The layout is in twips, 1440 to the inch, laid out at the screen's own
  // resolution.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto pixels = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };

  // The window class bears the form's name, and the icon is the program
  // file's own, made from the same art as the description's.
  const std::wstring className = win32::Widen(description.name);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = FormProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className.c_str();
  RegisterClassExW(&windowClass);

  // The client area has the form's size; the frame goes round it, and the
  // whole opens centred on the desktop's free area.
  RECT frame{0, 0, pixels(description.clientWidth), pixels(description.clientHeight)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT desk{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0);
  Form = CreateWindowExW(0, className.c_str(), win32::Widen(description.title).c_str(), kFormStyle,
                         desk.left + (desk.right - desk.left - width) / 2,
                         desk.top + (desk.bottom - desk.top - height) / 2, width, height, nullptr, nullptr,
                         instance, nullptr);
  if (Form == nullptr) {
    throw RuntimeError(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())), "Cannot create the window");
  }

  // Points to a character height in pixels, negative for the height of the
  // characters rather than of the cell.
  const FontDescription& font = description.font;
  HFONT handle = CreateFontW(-static_cast<int>(font.points * dpi / 72.0 + 0.5), 0, 0, 0, font.weight, font.italic,
                             font.underline, font.strikeout, static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             win32::Widen(font.face).c_str());
  int id = 1;
  for (const ControlDescription& control : description.controls) {
    const bool textBox = control.kind == ControlKind::TextBox;
    HWND child = CreateWindowExW(textBox ? WS_EX_CLIENTEDGE : 0, textBox ? L"EDIT" : L"STATIC",
                                 win32::Widen(control.text).c_str(),
                                 WS_CHILD | WS_VISIBLE | (textBox ? ES_AUTOHSCROLL | ES_READONLY : SS_LEFT),
                                 pixels(control.left), pixels(control.top), pixels(control.width),
                                 pixels(control.height), Form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)),
                                 instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(handle), FALSE);
  }

  ShowWindow(Form, SW_SHOWNORMAL);
  // Drawn now: the sound-driver message may follow before any message is
  // processed, and the window should be seen behind it.
  UpdateWindow(Form);
}

WindowHandle FormHandle() { return reinterpret_cast<WindowHandle>(Form); }

void SetControlText(int controlIndex, const std::string& text) {
  HWND control = GetDlgItem(Form, controlIndex + 1);
  SetWindowTextW(control, win32::Widen(text).c_str());
  // Shown at once, not at the next pass of a wait loop.
  UpdateWindow(control);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  MessageBoxW(Form, win32::Widen(text).c_str(), win32::Widen(caption).c_str(), MB_OK);
}

void DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (CloseRequested) {
    CloseRequested = false;
    EndProgram(0);
  }
}

}  // namespace platform
