// Making patches for revision pairs of CJK fonts, measured against xdelta3
// (-e -9 -S none) on the same pairs in the same run: patch size and time.
//
//   patch_bench --pairs=DIR [benchmark flags]
//
// DIR holds one folder per pair with old.otf and new.otf (bench/make-pairs.py
// makes them). Each pair gives two benchmarks, make/<pair> and
// xdelta3/<pair>, with the sizes as counters; bench/run.sh prints the ratios.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tools/authoring/PatchMaker.h"

namespace {

namespace fs = std::filesystem;

struct Pair {
  std::string name;
  fs::path folder;
};

void MakeBenchmark(benchmark::State& state, const Pair& pair) {
  std::vector<std::uint8_t> oldImage;
  std::vector<std::uint8_t> newImage;
  if (!platform::ReadWholeFile((pair.folder / "old.otf").string(), oldImage) ||
      !platform::ReadWholeFile((pair.folder / "new.otf").string(), newImage)) {
    state.SkipWithError("cannot read the pair");
    return;
  }
  std::size_t patchSize = 0;
  for (auto _ : state) {
    authoring::MakeResult result;
    std::string error;
    if (!authoring::MakePatch(oldImage, newImage, result, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    patchSize = result.patch.size();
  }
  state.counters["patch_bytes"] = static_cast<double>(patchSize);
  state.counters["new_font_bytes"] = static_cast<double>(newImage.size());
}

void XdeltaBenchmark(benchmark::State& state, const Pair& pair) {
  const fs::path out = fs::temp_directory_path() / ("patch_bench_" + pair.name + ".vcdiff");
  const std::string command = "xdelta3 -e -9 -S none -f -s '" + (pair.folder / "old.otf").string() + "' '" +
                              (pair.folder / "new.otf").string() + "' '" + out.string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("xdelta3 failed (is it installed?)");
      return;
    }
  }
  std::error_code failed;
  state.counters["patch_bytes"] = static_cast<double>(fs::file_size(out, failed));
  fs::remove(out, failed);
}

}  // namespace

int main(int argc, char** argv) {
  std::string pairsFolder;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--pairs=", 0) == 0) {
      pairsFolder = argument.substr(8);
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (pairsFolder.empty()) {
    std::fprintf(stderr, "usage: patch_bench --pairs=DIR [benchmark flags]\n");
    return 2;
  }
  std::vector<Pair> pairs;
  std::error_code failed;
  for (const fs::directory_entry& entry : fs::directory_iterator(pairsFolder, failed)) {
    if (fs::exists(entry.path() / "old.otf") && fs::exists(entry.path() / "new.otf")) {
      pairs.push_back({entry.path().filename().string(), entry.path()});
    }
  }
  if (pairs.empty()) {
    std::fprintf(stderr, "patch_bench: no pairs in %s\n", pairsFolder.c_str());
    return 2;
  }
  std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.name < b.name; });
  for (const Pair& pair : pairs) {
    benchmark::RegisterBenchmark(("make/" + pair.name).c_str(), MakeBenchmark, pair)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark(("xdelta3/" + pair.name).c_str(), XdeltaBenchmark, pair)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
