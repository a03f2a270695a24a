// Fresh file names: a prefix, the time in seconds, a pseudo-random number and
// a suffix ("%ld%ld" in the temporary folder, with the random part from 0 to
// 254 there), drawn again while a file stands under the name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A fresh name in the temporary folder: the folder, the time, the random
// number, `suffix`. False when there is no temporary folder that fits.
bool FormTempPath(const char* suffix, std::string& path);

// A name `prefix` + time + random number + `suffix` under which nothing
// stands yet (a few hundred draws). Whoever creates the file must still
// create it exclusively: another may take the name meanwhile.
bool FindFreshPath(const std::string& prefix, const std::string& suffix, std::string& path);

// The same in the temporary folder, with its random part from 0 to 254.
bool FindFreshTempPath(const char* suffix, std::string& path);

// Creates the file under a fresh name exclusively (never an existing file,
// never through a link planted in the folder) and writes `size` bytes; on a
// name collision it tries another name. False when no file could be written.
bool CreateTempFile(const char* suffix, const std::uint8_t* data, std::size_t size, std::string& path);

}  // namespace platform
