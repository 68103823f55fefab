// The simulated machine's window system and run-time services.
#include <cstdlib>

#include "shell/platform/random_generator.h"
#include "shell/platform/sim/machine.h"

namespace platform {
namespace {

constexpr WindowHandle kFormHandle = 0x1234;

}  // namespace

void ShowForm(const FormDescription& form) {
  sim::Machine& machine = sim::Machine::Current();
  machine.MaybeFail(sim::Op::ShowForm, form.name);
  machine.RecordCall(sim::Op::ShowForm, form.name);
  machine.SetForm(&form);
}

WindowHandle FormHandle() {
  sim::Machine& machine = sim::Machine::Current();
  machine.RecordCall(sim::Op::FormHandle, {}, std::to_string(kFormHandle));
  return kFormHandle;
}

void SetControlText(int controlIndex, const std::string& text) {
  sim::Machine& machine = sim::Machine::Current();
  std::string name = std::to_string(controlIndex);
  if (const FormDescription* form = machine.Form();
      form != nullptr && controlIndex >= 0 && static_cast<size_t>(controlIndex) < form->controls.size()) {
    name = form->controls[static_cast<size_t>(controlIndex)].name;
  }
  const std::string detail = name + "=" + text;
  machine.MaybeFail(sim::Op::SetControlText, detail);
  machine.RecordCall(sim::Op::SetControlText, detail);
  machine.SetControl(controlIndex, text);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  sim::Machine& machine = sim::Machine::Current();
  machine.MaybeFail(sim::Op::ShowMessageBox, text);
  machine.RecordCall(sim::Op::ShowMessageBox, text, caption);
  machine.AddMessageBox(text, caption);
}

void DoEvents() {
  sim::Machine& machine = sim::Machine::Current();
  machine.RecordCall(sim::Op::DoEvents, {});
  machine.Advance(machine.config().passCostUs);
}

void EndProgram(int exitStatus) {
  sim::Machine& machine = sim::Machine::Current();
  machine.RecordCall(sim::Op::EndProgram, std::to_string(exitStatus));
  throw ProgramEnd{exitStatus};
}

std::string ProgramFolder() {
  sim::Machine& machine = sim::Machine::Current();
  machine.MaybeFail(sim::Op::ProgramFolder, {});
  machine.RecordCall(sim::Op::ProgramFolder, {}, machine.config().programFolder);
  return machine.config().programFolder;
}

void ChangeDirectory(const std::string& folder) {
  sim::Machine& machine = sim::Machine::Current();
  machine.MaybeFail(sim::Op::ChangeDirectory, folder);
  machine.RecordCall(sim::Op::ChangeDirectory, folder);
  machine.SetCurrentDirectory(folder);
}

uint32_t GetTickCount() {
  sim::Machine& machine = sim::Machine::Current();
  const uint32_t ticks = machine.TickCount();
  machine.RecordCall(sim::Op::GetTickCount, {}, machine.LogsPolling() ? std::to_string(ticks) : std::string());
  return ticks;
}

void Randomize() {
  sim::Machine& machine = sim::Machine::Current();
  machine.RecordCall(sim::Op::Randomize, {});
  // The virtual clock in microseconds: two reseeds a millisecond apart start
  // unrelated sequences, as the real clock's do.
  SeedRandomGenerator(machine.NowUs() + 0x5DEECE66Dull);
}

float Rnd() {
  sim::Machine& machine = sim::Machine::Current();
  const float value = machine.NextRnd();
  machine.RecordCall(sim::Op::Rnd, {}, std::to_string(value));
  return value;
}

}  // namespace platform
