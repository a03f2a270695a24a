// In-process figures behind `sabun apply` and `sabun update` on a revision
// pair: reading the installed font, rebuilding and assembling the revised
// one (with its temporary file), and the word sum of a whole font.
//
//   engine_bench --pair=DIR [benchmark flags]    (DIR holds old.otf and new.otf)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/FontWords.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/TempFiles.h"
#include "tools/authoring/PatchMaker.h"

namespace {

std::vector<std::uint8_t> g_old;
std::string g_oldPath;
std::vector<std::uint8_t> g_patch;

int Continue(int, int, const char*, const char*, void*) { return 0; }

void ReadFont(benchmark::State& state) {
  for (auto _ : state) {
    COpenTypeManager manager;
    int window = 0;
    benchmark::DoNotOptimize(manager.ReadFontImage(g_old, "old.otf", Continue, &window, 1, 0));
  }
}

void BuildNewFont(benchmark::State& state) {
  platform::MemoryResources resources;
  resources.Add("FONT_PA", 2001, g_patch);
  platform::SetResourceSource(&resources);
  std::string temp;
  for (auto _ : state) {
    state.PauseTiming();
    COpenTypeManager manager;
    int window = 0;
    // Read from the file as the update reads it, so that the images take
    // their blocks as they do in a run of the updater: those the font before
    // gave back.
    manager.ReadFontFile(g_oldPath, Continue, &window, 1, 0);
    platform::FormTempPath(".bench", temp);
    state.ResumeTiming();
    if (manager.BuildNewFont("old.otf", 2001, temp, Continue, &window, 1, 0) != 0) state.SkipWithError("build failed");
    state.PauseTiming();
    platform::RemoveFile(temp);
    state.ResumeTiming();
  }
  platform::SetResourceSource(nullptr);
}

void SumWords(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SumFontWords(g_old));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_old.size()));
}

}  // namespace

int main(int argc, char** argv) {
  std::string pair;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--pair=", 0) == 0) {
      pair = argument.substr(7);
    } else {
      rest.push_back(argv[i]);
    }
  }
  std::vector<std::uint8_t> revised;
  g_oldPath = pair + "/old.otf";
  if (pair.empty() || !platform::ReadWholeFile(g_oldPath, g_old) ||
      !platform::ReadWholeFile(pair + "/new.otf", revised)) {
    std::fprintf(stderr, "usage: engine_bench --pair=DIR [benchmark flags]\n");
    return 2;
  }
  authoring::MakeResult made;
  std::string error;
  if (!authoring::MakePatch(g_old, revised, made, error)) {
    std::fprintf(stderr, "engine_bench: %s\n", error.c_str());
    return 2;
  }
  g_patch = made.patch;
  benchmark::RegisterBenchmark("ReadFontFile", ReadFont)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BuildNewFont", BuildNewFont)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("SumFontWords", SumWords)->Unit(benchmark::kMillisecond);
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
