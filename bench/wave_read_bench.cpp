// Reading a sound costs the game once per play, so our reader is timed side
// by side with SDL_LoadWAV over every file of the sounds folder beside the
// program (or the folder given as the first argument): for each file,
// "ours/NAME" is everything a sound buffer of the SDL backend does to its file
// before the mixer sees it (open, read, convert if need be), and
// "SDL_LoadWAV/NAME" is SDL's loader reading the same file into memory and
// freeing it. A summary at the end gives, over the files, the minimum, median
// and maximum of each one's time and of the ratio ours / SDL_LoadWAV, in real
// time and in CPU time (the fairer figure while other work shares the machine).
//
//   build/bench/wave_read_bench [--benchmark_repetitions=5]
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "shell/platform/mixer/mixer.h"
#include "shell/platform/wave_file.h"

namespace {

void Ours(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    platform::WaveSamples sound = platform::ReadWaveSamples(path, mixer::kMixerRate);
    benchmark::DoNotOptimize(sound.samples.data());
  }
}

void SdlLoadWav(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &spec, &buffer, &length) == nullptr) {
      state.SkipWithError(SDL_GetError());
      break;
    }
    benchmark::DoNotOptimize(buffer);
    SDL_FreeWAV(buffer);
  }
}

// The console's report, and each file's real and CPU time (the medians of the
// repetitions when there are several) kept for the summary.
class Summary : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (run.error_occurred || (aggregate && run.aggregate_name != "median")) continue;
      const std::string name = run.run_name.function_name;
      const auto slash = name.find('/');
      Times& times = times_[name.substr(slash + 1)][name.substr(0, slash)];
      if (aggregate || !times.median) times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), aggregate};
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::vector<double> ours, theirs, ratio, oursCpu, theirsCpu, ratioCpu;
    for (auto& [file, time] : times_) {
      if (time.count("ours") == 0 || time.count("SDL_LoadWAV") == 0) continue;
      const Times a = time["ours"], b = time["SDL_LoadWAV"];
      ours.push_back(a.real), theirs.push_back(b.real), ratio.push_back(a.real / b.real);
      oursCpu.push_back(a.cpu), theirsCpu.push_back(b.cpu), ratioCpu.push_back(a.cpu / b.cpu);
    }
    if (ratio.empty()) return;
    std::printf("\n%zu files                 min      median   max\n", ratio.size());
    Print("ours (us)", ours);
    Print("SDL_LoadWAV (us)", theirs);
    Print("ours / SDL_LoadWAV", ratio);
    Print("ours, CPU (us)", oursCpu);
    Print("SDL_LoadWAV, CPU (us)", theirsCpu);
    Print("ours / SDL_LoadWAV, CPU", ratioCpu);
  }

 private:
  struct Times {
    double real = 0, cpu = 0;
    bool median = false;
  };

  static void Print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%-23s %8.3f %8.3f %8.3f\n", what, values.front(), median, values.back());
  }

  std::map<std::string, std::map<std::string, Times>> times_;  // file, reader
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::filesystem::path folder = argc > 1 ? argv[1] : GRUMBOSH_SOUNDS_FOLDER;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".wav") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "no wave files in %s\n", folder.string().c_str());
    return 1;
  }
  for (const auto& file : files) {
    const std::string name = std::filesystem::relative(file, folder).generic_string();
    benchmark::RegisterBenchmark(("ours/" + name).c_str(), Ours, file.string())->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("SDL_LoadWAV/" + name).c_str(), SdlLoadWav, file.string())
        ->Unit(benchmark::kMicrosecond);
  }
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  benchmark::Shutdown();
  return 0;
}
