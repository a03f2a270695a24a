// Running the built sabun as the maker runs it: its exit code, standard
// output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TestFiles.h"

namespace tools_test {

struct SabunRun {
  int code = -1;  // the exit status; -1 when sabun did not exit normally
  std::string out;
  std::string err;
};

// Runs `SABUN_PATH arguments` (quote paths in `arguments`), its output kept
// in `scratch` while it runs.
inline SabunRun RunSabun(const test_support::ScratchFolder& scratch, const std::string& arguments) {
  const std::string out = scratch.File("sabun-stdout.txt");
  const std::string err = scratch.File("sabun-stderr.txt");
  const std::string command = std::string("'") + SABUN_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  SabunRun run;
  run.code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = read(out);
  run.err = read(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

}  // namespace tools_test
