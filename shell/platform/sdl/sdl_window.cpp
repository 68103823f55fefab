// The form, its message boxes and the message pump, on one SDL window drawn in
// software: the six controls only change when the game writes a text box, so
// the window is drawn then and when it is exposed, never on a pass of a loop.
#include "shell/platform/sdl/sdl_window.h"

#include <SDL_ttf.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/sdl/box_focus.h"
#include "shell/platform/sdl/display_scale.h"
#include "shell/platform/sdl/form_font.h"
#include "shell/platform/sdl/message_box_parent.h"
#include "shell/platform/sdl/sdl_audio.h"

namespace sdl {
namespace {

// The classic three-dimensional look of grey dialog windows.
constexpr uint32_t kFace = 0xC0C0C0;
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kDarkShadow = 0x000000;
constexpr uint32_t kHighlight = 0xFFFFFF;
constexpr uint32_t kLight = 0xC0C0C0;
constexpr uint32_t kWindowField = 0xFFFFFF;
constexpr SDL_Color kText{0, 0, 0, 255};
// The space between an edit box's inner border and its text.
constexpr int kTextMargin = 2;
// Asking the display server for new events is a system call of about 3 µs,
// twenty times the rest of a loop's pass; four thousand times a second is
// still far quicker than any key or window change needs.
constexpr uint64_t kPumpIntervalMicroseconds = 250;

struct Control {
  platform::ControlKind kind;
  SDL_Rect rect;  // pixels
  std::string text;
};

struct Form {
  SDL_Window* window = nullptr;
  TTF_Font* font = nullptr;
  std::vector<Control> controls;
  bool focused = false;
  bool focusReported = false;  // the sound device has been told the focus the pump sees
  uint64_t focusLosses = 0;
  uint64_t lastPump = 0;
};

Form& TheForm() {
  static Form form;
  return form;
}

void Fill(SDL_Surface* surface, int x, int y, int w, int h, uint32_t rgb) {
  const SDL_Rect rect{x, y, w, h};
  SDL_FillRect(surface, &rect,
               SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                          static_cast<Uint8>(rgb)));
}

// A sunken edge two pixels deep: the outer ring shadowed at the top and left
// and lit at the bottom and right, the inner ring darker still.
void DrawSunkenEdge(SDL_Surface* surface, const SDL_Rect& r) {
  Fill(surface, r.x, r.y, r.w, 1, kShadow);
  Fill(surface, r.x, r.y, 1, r.h, kShadow);
  Fill(surface, r.x, r.y + r.h - 1, r.w, 1, kHighlight);
  Fill(surface, r.x + r.w - 1, r.y, 1, r.h, kHighlight);
  Fill(surface, r.x + 1, r.y + 1, r.w - 2, 1, kDarkShadow);
  Fill(surface, r.x + 1, r.y + 1, 1, r.h - 2, kDarkShadow);
  Fill(surface, r.x + 1, r.y + r.h - 2, r.w - 2, 1, kLight);
  Fill(surface, r.x + r.w - 2, r.y + 1, 1, r.h - 2, kLight);
}

void DrawText(SDL_Surface* surface, TTF_Font* font, const std::string& text, int x, int y, const SDL_Rect& clip) {
  if (font == nullptr || text.empty()) return;
  SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, text.c_str(), kText);
  if (rendered == nullptr) return;
  SDL_SetClipRect(surface, &clip);
  SDL_Rect where{x, y, rendered->w, rendered->h};
  SDL_BlitSurface(rendered, nullptr, surface, &where);
  SDL_SetClipRect(surface, nullptr);
  SDL_FreeSurface(rendered);
}

void Draw(Form& form) {
  if (form.window == nullptr) return;
  SDL_Surface* surface = SDL_GetWindowSurface(form.window);
  if (surface == nullptr) return;
  Fill(surface, 0, 0, surface->w, surface->h, kFace);
  const int lineHeight = form.font != nullptr ? TTF_FontHeight(form.font) : 0;
  const SDL_Rect client{0, 0, surface->w, surface->h};
  // Labels first: a caption a little wider than its label (the stand-in
  // font runs wider than the layout's own) runs on into the gap before its
  // box.
  for (const Control& control : form.controls) {
    if (control.kind != platform::ControlKind::Label) continue;
    DrawText(surface, form.font, control.text, control.rect.x, control.rect.y, client);
  }
  for (const Control& control : form.controls) {
    if (control.kind != platform::ControlKind::TextBox) continue;
    const SDL_Rect& r = control.rect;
    Fill(surface, r.x + 2, r.y + 2, r.w - 4, r.h - 4, kWindowField);
    DrawSunkenEdge(surface, r);
    const SDL_Rect inside{r.x + 2, r.y + 2, r.w - 4, r.h - 4};
    DrawText(surface, form.font, control.text, inside.x + kTextMargin, inside.y + (inside.h - lineHeight) / 2,
             inside);
  }
  SDL_UpdateWindowSurface(form.window);
}

SDL_Surface* IconSurface(const platform::IconImage& icon) {
  constexpr int kSize = platform::IconImage::kSize;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 32, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return nullptr;
  SDL_LockSurface(surface);
  for (int y = 0; y < kSize; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < kSize; ++x) {
      row[x] = 0xFF000000u | icon.palette[icon.pixels[static_cast<size_t>(y * kSize + x)]];
    }
  }
  SDL_UnlockSurface(surface);
  return surface;
}

// Nothing reads the window's keyboard or mouse events (keys are polled), so
// they are never queued; the key state SDL keeps is updated all the same.
void IgnoreInputEvents() {
  for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP, SDL_TEXTEDITING, SDL_TEXTINPUT, SDL_KEYMAPCHANGED,
                      SDL_TEXTEDITING_EXT, SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
                      SDL_MOUSEWHEEL, SDL_FINGERDOWN, SDL_FINGERUP, SDL_FINGERMOTION, SDL_DOLLARGESTURE,
                      SDL_DOLLARRECORD, SDL_MULTIGESTURE, SDL_CLIPBOARDUPDATE, SDL_DROPFILE, SDL_DROPTEXT,
                      SDL_DROPBEGIN, SDL_DROPCOMPLETE}) {
    SDL_EventState(type, SDL_IGNORE);
  }
  SDL_StopTextInput();
}

void HandleWindowEvent(Form& form, const SDL_WindowEvent& event) {
  if (event.windowID != SDL_GetWindowID(form.window)) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      Draw(form);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      platform::EndProgram(0);
    default:
      break;
  }
}

// SDL's box on X11 breaks lines only at line feeds; the game's messages are
// single long lines, meant to be wrapped by the box. A line ends after the
// blanks between two words, never in place of one: the box shows every
// character of the game's text, the two blanks after a full stop included.
std::string WrapLines(const std::string& text, size_t width) {
  std::string wrapped;
  size_t lineStart = 0;
  size_t wordStart = std::string::npos;  // the latest word after a blank: where a break may go
  for (const char c : text) {
    if (c != ' ' && !wrapped.empty() && wrapped.back() == ' ') wordStart = wrapped.size();
    wrapped += c;
    if (c == '\n') {
      lineStart = wrapped.size();
      wordStart = std::string::npos;
    } else if (c != ' ' && wrapped.size() - lineStart > width && wordStart != std::string::npos) {
      wrapped.insert(wordStart, 1, '\n');
      lineStart = wordStart + 1;
      wordStart = std::string::npos;
    }
  }
  return wrapped;
}

constexpr size_t kMessageLineLength = 70;

}  // namespace

SDL_Window* MainWindow() { return TheForm().window; }

uint64_t MonotonicMicroseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
bool WindowHasFocus() { return TheForm().focused; }
uint64_t FocusLossCount() { return TheForm().focusLosses; }

void CloseMainWindow() {
  Form& form = TheForm();
  if (form.font != nullptr) TTF_CloseFont(form.font);
  if (form.window != nullptr) SDL_DestroyWindow(form.window);
  form = Form{};
  if (TTF_WasInit() != 0) TTF_Quit();
}

}  // namespace sdl

namespace platform {

void ShowForm(const FormDescription& description) {
  sdl::Form& form = sdl::TheForm();
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    throw RuntimeError(kErrFail, std::string("Cannot draw text: ") + TTF_GetError());
  }
  const int dpi = sdl::DisplayDpi();
  const auto pixels = [dpi](int twips) { return sdl::PixelsFromTwips(twips, dpi); };
  const std::string fontFile = sdl::FindFontFile(description.font.face);
  form.font = fontFile.empty() ? nullptr
                               : TTF_OpenFont(fontFile.c_str(), sdl::PixelsFromPoints(description.font.points, dpi));
  // The game's font is regular: no weight, slant or lines to set.
  if (form.font == nullptr) {
    std::fprintf(stderr, "No font for \"%s\"; the window shows no text.\n", description.font.face.c_str());
  }
  for (const ControlDescription& control : description.controls) {
    form.controls.push_back({control.kind,
                             {pixels(control.left), pixels(control.top), pixels(control.width),
                              pixels(control.height)},
                             control.text});
  }
  // Not resizable: SDL gives the window manager a fixed size.
  form.window = SDL_CreateWindow(description.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 pixels(description.clientWidth), pixels(description.clientHeight),
                                 SDL_WINDOW_HIDDEN);
  if (form.window == nullptr) {
    throw RuntimeError(kErrFail, std::string("Cannot create the window: ") + SDL_GetError());
  }
  if (description.icon != nullptr) {
    if (SDL_Surface* icon = sdl::IconSurface(*description.icon)) {
      SDL_SetWindowIcon(form.window, icon);
      SDL_FreeSurface(icon);
    }
  }
  sdl::IgnoreInputEvents();
  // On X11 this waits until the window is mapped, so what is drawn next shows
  // even if no message is ever processed (the sound-driver message's case).
  SDL_ShowWindow(form.window);
  sdl::Draw(form);
}

WindowHandle FormHandle() {
  SDL_Window* window = sdl::TheForm().window;
  return window != nullptr ? static_cast<WindowHandle>(SDL_GetWindowID(window)) : 0;
}

void SetControlText(int controlIndex, const std::string& text) {
  sdl::Form& form = sdl::TheForm();
  sdl::Control& control = form.controls.at(static_cast<size_t>(controlIndex));
  if (control.text == text) return;
  control.text = text;
  sdl::Draw(form);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  const SDL_MessageBoxButtonData ok{
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
  const std::string shown = sdl::WrapLines(text, sdl::kMessageLineLength);
  SDL_Window* parent = sdl::MessageBoxParent(sdl::TheForm().window);
  const SDL_MessageBoxData box{0, parent, caption.c_str(), shown.c_str(), 1, &ok, nullptr};
  int pressed = 0;
  int shownStatus = 0;
  {
    const sdl::BoxFocusWatch watch(sdl::TheForm().window);
    shownStatus = SDL_ShowMessageBox(&box, &pressed);
  }
  // The watch may have told the sound device otherwise than the pump last did.
  sdl::TheForm().focusReported = false;
  if (shownStatus != 0) {
    // With no way to show it, the message at least reaches the terminal.
    std::fprintf(stderr, "%s: %s\n(%s)\n", caption.c_str(), text.c_str(), SDL_GetError());
  }
}

void DoEvents() {
  sdl::Form& form = sdl::TheForm();
  const uint64_t now = sdl::MonotonicMicroseconds();
  // Events and changes of focus arrive only with a pump; between pumps a
  // pass costs next to nothing.
  if (now - form.lastPump < sdl::kPumpIntervalMicroseconds) return;
  form.lastPump = now;
  SDL_PumpEvents();
  SDL_Event events[8];
  int count = 0;
  while ((count = SDL_PeepEvents(events, 8, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
    for (int i = 0; i < count; ++i) {
      const SDL_Event& event = events[i];
      if (event.type == SDL_QUIT) EndProgram(0);
      if (event.type == SDL_WINDOWEVENT && form.window != nullptr) sdl::HandleWindowEvent(form, event.window);
    }
  }
  const bool focused = form.window != nullptr && SDL_GetKeyboardFocus() == form.window;
  // Told at the first pass too: a window that opens behind another
  // program's must be silent from the start.
  if (focused != form.focused || !form.focusReported) {
    if (!focused && form.focused) ++form.focusLosses;
    form.focused = focused;
    form.focusReported = true;
    sdl::SetAudioFocus(focused);
  }
}

}  // namespace platform
