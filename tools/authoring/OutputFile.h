// Writing the tools' output files so that each is either complete or absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

// Writes `bytes` to a fresh file beside `path` and moves it over `path`, so
// that `path` holds either what it held before or all of `bytes`. False with
// a reason on failure (the fresh file is then removed).
bool WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace authoring
