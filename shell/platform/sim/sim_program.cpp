// The simulated machine's run-time support: running the entry procedure,
// ending the program, and the report of a failure nothing caught.
#include "shell/platform/fatal_report.h"
#include "shell/platform/sim/machine.h"

namespace platform {

int RunProgram(const ProgramIdentity& identity, void (*entry)()) {
  sim::Machine& machine = sim::Machine::Current();
  try {
    entry();
    return 0;
  } catch (const ProgramEnd& end) {
    return end.exitStatus;
  } catch (const RuntimeError& failure) {
    machine.AddMessageBox(FatalReport(failure), identity.title);
    machine.RecordCall(sim::Op::ShowMessageBox, FatalReport(failure), identity.title);
    throw;
  }
}

}  // namespace platform

namespace sim {
namespace {

std::function<void()> runningEntry;

void RunningEntry() { runningEntry(); }

}  // namespace

Outcome Machine::Run(std::function<void()> entry, const platform::ProgramIdentity& identity) {
  Outcome outcome{Outcome::How::Returned};
  runningEntry = std::move(entry);
  try {
    const int status = platform::RunProgram(identity, RunningEntry);
    // RunProgram only returns a status for a returned entry or an ended program.
    outcome.exitStatus = status;
    outcome.how = CallCount(Op::EndProgram) > 0 ? Outcome::How::Ended : Outcome::How::Returned;
  } catch (const platform::RuntimeError& failure) {
    outcome.how = Outcome::How::Fatal;
    outcome.exitStatus = platform::kFatalExitStatus;
    outcome.errorNumber = failure.Number();
    outcome.errorDescription = failure.Description();
  } catch (const TimeLimitReached&) {
    outcome.how = Outcome::How::TimeLimit;
  }
  return outcome;
}

}  // namespace sim
