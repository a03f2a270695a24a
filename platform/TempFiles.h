// Files in the temporary folder named from the time in seconds followed by a
// pseudo-random number from 0 to 254 ("%ld%ld", then the suffix).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A fresh name in the temporary folder: the folder, the time, the random
// number, `suffix`. False when there is no temporary folder that fits.
bool FormTempPath(const char* suffix, std::string& path);

// Creates the file under a fresh name exclusively (never an existing file,
// never through a link planted in the folder) and writes `size` bytes; on a
// name collision it tries another name. False when no file could be written.
bool CreateTempFile(const char* suffix, const std::uint8_t* data, std::size_t size, std::string& path);

}  // namespace platform
