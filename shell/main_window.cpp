#include "shell/main_window.h"

#include "shell/app_icon.h"
#include "shell/product.h"

namespace {

using platform::ControlKind;

// Index of each text box in the form's control list below.
constexpr int kRoundIndex = 1;
constexpr int kScoreIndex = 3;
constexpr int kAgilityIndex = 5;

// GCC 12 at -O3 takes a string of this description for uninitialised in the
// static initialiser it generates (a known false warning of that compiler).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
const platform::FormDescription kFrmGrumbosh{
    .name = "frmGrumbosh",
    .title = kProductTitle,
    .clientWidth = 8100,
    .clientHeight = 705,
    .font = {.face = "MS Sans Serif",
             .points = 13.5,
             .weight = 400,
             .italic = false,
             .underline = false,
             .strikeout = false,
             .charset = 0},
    .controls =
        {
            // kind, name, text, left, top, width, height
            {ControlKind::Label, "Label2", "Round:", 120, 180, 930, 360},
            {ControlKind::TextBox, "txtRound", "", 1140, 120, 1575, 480},
            {ControlKind::Label, "Label1", "Score:", 2820, 180, 825, 360},
            {ControlKind::TextBox, "txtScore", "", 3720, 120, 1575, 480},
            {ControlKind::Label, "Label3", "Agility:", 5475, 180, 810, 360},
            {ControlKind::TextBox, "txtAgility", "", 6360, 120, 1575, 480},
        },
    .icon = &AppIcon(),
};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

int ControlIndex(TextBox box) {
  switch (box) {
    case TextBox::txtRound: return kRoundIndex;
    case TextBox::txtScore: return kScoreIndex;
    case TextBox::txtAgility: return kAgilityIndex;
  }
  return kRoundIndex;
}

}  // namespace

const platform::FormDescription& frmGrumboshDescription() { return kFrmGrumbosh; }

void ShowMainWindow() { platform::ShowForm(kFrmGrumbosh); }

platform::WindowHandle MainWindowHandle() { return platform::FormHandle(); }

void SetTextBoxText(TextBox box, const std::string& text) {
  platform::SetControlText(ControlIndex(box), text);
}
