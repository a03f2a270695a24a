// Writing the tools' output files so that each is either complete or absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

// Creates the file `path`, which must not exist yet, and writes `size`
// bytes; the file gets the usual permissions of a user's file. On a failed
// write the partial file is removed. False on any failure.
bool WriteFreshFile(const std::string& path, const void* data, std::size_t size);

// Writes `bytes` to a fresh file beside `path` and moves it over `path`, so
// that `path` holds either what it held before or all of `bytes`. False with
// a reason on failure (the fresh file is then removed).
bool WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace authoring
