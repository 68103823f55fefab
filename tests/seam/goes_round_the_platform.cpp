// Game code that goes round the platform in every way the build forbids; it
// must not compile, and each error must name what to use instead.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int GoesRoundThePlatform() {
  const auto now = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::thread worker([] {});
  std::ifstream file("sounds/round.wav");
  if (std::getenv("HOME") == nullptr) std::exit(1);
  return std::rand() + static_cast<int>(now.time_since_epoch().count());
}
