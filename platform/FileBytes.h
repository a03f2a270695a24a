// What the whole-file reads of both systems read into: a vector, with room
// for the zero byte a font image gets after the bytes so that appending it
// never moves them, or an image buffer of exactly the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/ImageBuffer.h"

namespace platform::detail {

// `size` bytes to read into; false when they cannot be had.
inline bool MakeRoom(std::vector<std::uint8_t>& bytes, std::size_t size) {
  // A size the vector cannot take (a 32-bit host) would throw a length
  // error, not bad_alloc.
  if (size >= bytes.max_size()) return false;
  try {
    bytes.reserve(size + 1);
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return false;  // a file too large to hold is one that cannot be read
  }
  return true;
}

inline bool MakeRoom(ImageBuffer& bytes, std::size_t size) { return bytes.Allocate(size); }

inline void Forget(std::vector<std::uint8_t>& bytes) { bytes.clear(); }
inline void Forget(ImageBuffer& bytes) { bytes.Release(); }

}  // namespace platform::detail
