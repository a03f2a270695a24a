// Blocks of memory for whole font images, taken straight from the system
// rather than the heap: a font of tens of megabytes costs one page fault per
// page it touches, and the system's large pages, where it offers them, take
// that to one fault per 2 MiB.
#pragma once

#include <cstddef>

namespace platform {

struct LargeBlock {
  void* base = nullptr;
  std::size_t capacity = 0;  // at least the size asked for
};

// A block of at least `size` bytes (size > 0), readable and writable, every
// byte zero. False, with `block` empty, when the system has no room.
bool MapLargeBlock(std::size_t size, LargeBlock& block);

// Gives a block MapLargeBlock made back to the system; an empty one is left.
void UnmapLargeBlock(LargeBlock& block);

// Under AddressSanitizer, makes the bytes of `block` before `used` ones the
// program may touch and those after out of bounds, so that a read past an
// image held in a larger block is still caught. Elsewhere nothing.
void MarkBlockInUse(const LargeBlock& block, std::size_t used);

}  // namespace platform
