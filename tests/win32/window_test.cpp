// The form, its message boxes and the message pump on real Win32 windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "shell/app_icon.h"
#include "shell/main_window.h"
#include "shell/platform/platform.h"
#include "shell/platform/win32/win32_window.h"
#include "tests/win32/message_box_watcher.h"

namespace {

HWND ShownForm() {
  if (win32::MainWindow() == nullptr) platform::ShowForm(frmGrumboshDescription());
  return win32::MainWindow();
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

RECT ClientRectOf(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(Win32Window, FormHasTheLayoutOfItsDescriptionAtTheScreensResolution) {
  HWND form = ShownForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(platform::FormHandle(), reinterpret_cast<platform::WindowHandle>(form));
  EXPECT_EQ(ClassOf(form), L"frmGrumbosh");
  EXPECT_EQ(TextOf(form), L"Grumbosh");
  EXPECT_TRUE(IsWindowVisible(form));

  // A fixed thin border: caption, system menu and minimise box, no sizing.
  const LONG style = GetWindowLongW(form, GWL_STYLE);
  const LONG kinds = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & kinds, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);

  const int dpi = win32::ScreenDpi();
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, MulDiv(8100, dpi, 1440));
  EXPECT_EQ(client.bottom, MulDiv(705, dpi, 1440));
  if (dpi == 96) {
    EXPECT_EQ(client.right, 540);
    EXPECT_EQ(client.bottom, 47);
  }

  // Centred on the desktop's free area, to the pixel that halving rounds off.
  RECT outer{};
  GetWindowRect(form, &outer);
  RECT desk{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0);
  EXPECT_LE(std::abs((outer.left - desk.left) - (desk.right - outer.right)), 1);
  EXPECT_LE(std::abs((outer.top - desk.top) - (desk.bottom - outer.bottom)), 1);

  const platform::FormDescription& description = frmGrumboshDescription();
  const std::vector<HWND> children = ChildrenOf(form);
  ASSERT_EQ(children.size(), description.controls.size());
  for (size_t i = 0; i < children.size(); ++i) {
    const platform::ControlDescription& control = description.controls[i];
    SCOPED_TRACE(control.name);
    const bool textBox = control.kind == platform::ControlKind::TextBox;
    EXPECT_EQ(ClassOf(children[i]), textBox ? L"Edit" : L"Static");
    const RECT rect = ClientRectOf(children[i]);
    EXPECT_EQ(rect.left, MulDiv(control.left, dpi, 1440));
    EXPECT_EQ(rect.top, MulDiv(control.top, dpi, 1440));
    EXPECT_EQ(rect.right - rect.left, MulDiv(control.width, dpi, 1440));
    EXPECT_EQ(rect.bottom - rect.top, MulDiv(control.height, dpi, 1440));
    const LONG childStyle = GetWindowLongW(children[i], GWL_STYLE);
    if (textBox) {
      EXPECT_EQ(TextOf(children[i]), L"") << "the boxes open empty";
      EXPECT_NE(childStyle & ES_READONLY, 0);
      EXPECT_NE(GetWindowLongW(children[i], GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    } else {
      EXPECT_EQ(TextOf(children[i]), std::wstring(control.text.begin(), control.text.end()));
    }

    auto font = reinterpret_cast<HFONT>(SendMessageW(children[i], WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_EQ(std::wstring(logFont.lfFaceName), L"MS Sans Serif");
    EXPECT_EQ(logFont.lfHeight, -static_cast<LONG>(13.5 * dpi / 72.0 + 0.5));  // -18 at 96 dpi
    // Regular weight, plain, ANSI character set.
    EXPECT_EQ(std::tuple(logFont.lfWeight, logFont.lfItalic, logFont.lfUnderline, logFont.lfStrikeOut, logFont.lfCharSet),
              std::tuple(LONG{400}, BYTE{0}, BYTE{0}, BYTE{0}, BYTE{0}));
  }
}

TEST(Win32Window, TextBoxesShowWhatTheGameWrites) {
  HWND form = ShownForm();
  const std::vector<HWND> children = ChildrenOf(form);
  ASSERT_EQ(children.size(), 6u);
  for (const auto& [box, child] : {std::pair{TextBox::txtRound, 1}, {TextBox::txtScore, 3}, {TextBox::txtAgility, 5}}) {
    SetTextBoxText(box, std::to_string(child * 100));
    EXPECT_EQ(TextOf(children[static_cast<size_t>(child)]), std::to_wstring(child * 100));
  }
  // UTF-8 in, UTF-16 on the screen.
  platform::SetControlText(1, "Z\xC3\xBCrich \xCE\xA9");
  EXPECT_EQ(TextOf(children[1]), L"Z\u00FCrich \u03A9");
  SetTextBoxText(TextBox::txtRound, "");
  EXPECT_EQ(TextOf(children[1]), L"");
  try {
    platform::SetControlText(6, "x");
    ADD_FAILURE() << "no control 6";
  } catch (const platform::RuntimeError& failure) {
    EXPECT_EQ(failure.Number(), platform::kErrInvalidArgument);
  }
}

TEST(Win32Window, TitleBarShowsTheProgramsOwnIcon) {
  HWND form = ShownForm();
  for (WPARAM which : {WPARAM{ICON_BIG}, WPARAM{ICON_SMALL}}) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(form, WM_GETICON, which, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    ASSERT_NE(info.hbmColor, nullptr);
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 32);
    EXPECT_EQ(bitmap.bmHeight, 32);

    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = 32;
    request.bmiHeader.biHeight = -32;  // top down, as the art is
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(32 * 32);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &request, DIB_RGB_COLORS), 32);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    const platform::IconImage& art = AppIcon();
    int differing = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      if ((pixels[i] & 0xFFFFFFu) != art.palette[art.pixels[i]]) ++differing;
    }
    EXPECT_EQ(differing, 0) << (which == ICON_BIG ? "big" : "small") << " icon";
  }
}

TEST(Win32Window, ClosingTheWindowEndsTheProgramFromDoEventsOnly) {
  HWND form = ShownForm();
  platform::DoEvents();  // nothing pending: returns
  // The window procedure itself takes the request without ending anything.
  EXPECT_EQ(SendMessageW(form, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(form));
  try {
    platform::DoEvents();
    ADD_FAILURE() << "closing the window did not end the program";
  } catch (const platform::ProgramEnd& end) {
    EXPECT_EQ(end.exitStatus, 0);
  }
  platform::DoEvents();  // one request, one end

  // The system menu's Close, as Alt+F4 sends it, arrives by the queue.
  PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_THROW(platform::DoEvents(), platform::ProgramEnd);
  EXPECT_TRUE(IsWindow(form));
}

TEST(Win32Window, MessageBoxHasOnlyOkNoIconAndTheTitleAsCaption) {
  ShownForm();
  test::MessageBoxWatcher watcher(L"Grumbosh");
  platform::ShowMessageBox("Sound driver error.  Two blanks, \xC3\xBC.", "Grumbosh");
  const test::SeenMessageBox seen = watcher.Result();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Sound driver error.  Two blanks, \u00FC.");
  EXPECT_EQ(seen.buttonIds, std::vector<int>{IDOK});
  EXPECT_FALSE(seen.hasIcon);
}

}  // namespace
