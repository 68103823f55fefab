// The form, its message boxes and the message pump, on the page: the form's
// title becomes the page's heading, its text boxes the page's read-only
// fields (named after the boxes: txtRound is #round), a message box the
// page's modal dialog.
#include <cctype>
#include <string>
#include <vector>

#include "shell/platform/platform.h"
#include "shell/platform/web/page.h"
#include "shell/platform/web/web_audio.h"

namespace {

// The game's loops would starve the page of events, rendering and sound if
// they never let go, and would waste their passes if they let go on every
// one: a yield costs a task of the browser's. Once a millisecond keeps keys
// and sound within a millisecond and a pass of a loop cheap.
constexpr double kYieldIntervalMilliseconds = 1.0;
double LastYield = 0.0;

std::vector<std::string> FieldOfControl;  // by control index; "" for a label

std::string FieldOf(const std::string& boxName) {
  std::string field = boxName.rfind("txt", 0) == 0 ? boxName.substr(3) : boxName;
  for (char& c : field) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return field;
}

// A screen reader reads a field's name without the colon a label ends with
// on the desktop.
std::string LabelText(std::string text) {
  while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
  return text;
}

void Yield() {
  web::FeedAudio();
  web::YieldToBrowser();
  LastYield = web::PageMilliseconds();
}

}  // namespace

namespace platform {

void ShowForm(const FormDescription& form) {
  web::ShowTitle(form.title);
  std::string label;
  FieldOfControl.clear();
  for (const ControlDescription& control : form.controls) {
    if (control.kind == ControlKind::Label) {
      label = control.text;
      FieldOfControl.emplace_back();
      continue;
    }
    FieldOfControl.push_back(FieldOf(control.name));
    web::LabelField(FieldOfControl.back(), LabelText(label));
    web::SetField(FieldOfControl.back(), control.text);
  }
}

WindowHandle FormHandle() { return FieldOfControl.empty() ? 0 : 1; }

void SetControlText(int controlIndex, const std::string& text) {
  const std::string& field = FieldOfControl.at(static_cast<size_t>(controlIndex));
  if (!field.empty()) web::SetField(field, text);
}

// Modal for the game: it waits here, while the page goes on playing what
// plays, until the player closes the dialog.
void ShowMessageBox(const std::string& text, const std::string& caption) {
  web::OpenMessage(text, caption);
  while (web::MessageOpen()) Yield();
}

void DoEvents() {
  if (web::PageMilliseconds() - LastYield >= kYieldIntervalMilliseconds) Yield();
}

}  // namespace platform
