// The simulated machine's window system and run-time services.
#include "shell/platform/random_generator.h"
#include "shell/platform/sim/machine.h"

namespace platform {

void ShowForm(const FormDescription& form) {
  sim::Machine& machine = sim::Machine::Current();
  machine.Enter("ShowForm", form.name);
  machine.form = &form;
}

WindowHandle FormHandle() { return 0x1234; }

// Logged by the control's name, or by its index when the form has none such.
void SetControlText(int controlIndex, const std::string& text) {
  sim::Machine& machine = sim::Machine::Current();
  const auto index = static_cast<size_t>(controlIndex);
  const bool named = machine.form != nullptr && controlIndex >= 0 && index < machine.form->controls.size();
  machine.Enter("SetControlText",
                (named ? machine.form->controls[index].name : std::to_string(controlIndex)) + "=" + text);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  sim::Machine& machine = sim::Machine::Current();
  machine.Enter("ShowMessageBox", text);
  machine.messageBoxes.emplace_back(text, caption);
}

void DoEvents() { sim::Machine::Current().Pass(); }

void EndProgram(int exitStatus) {
  sim::Machine::Current().Enter("EndProgram", std::to_string(exitStatus));
  throw ProgramEnd{exitStatus};
}

std::string ProgramFolder() { return sim::Machine::Current().config.programFolder; }

void ChangeDirectory(const std::string& folder) {
  sim::Machine& machine = sim::Machine::Current();
  machine.Enter("ChangeDirectory", folder);
  machine.currentDirectory = folder;
}

uint32_t GetTickCount() { return sim::Machine::Current().TickCount(); }

// Seeded from the virtual clock in microseconds, as the real clock seeds it.
void Randomize() {
  sim::Machine& machine = sim::Machine::Current();
  machine.Enter("Randomize", {});
  SeedRandomGenerator(machine.NowUs() + 0x5DEECE66Dull);
}

float Rnd() { return sim::Machine::Current().NextRnd(); }

}  // namespace platform
