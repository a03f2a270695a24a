// The buffer that holds a whole font image (an installed font's file image,
// the revised font's image, the revised file read back to be put in place):
// a block of the system's memory (platform/LargeMemory.h) rather than a
// vector, so that its pages can be the system's large ones, and a block that
// one buffer gives back is kept for the next, so that a run of many fonts
// touches fresh memory only for the first and for a larger one.
//
// The process keeps at most two blocks given back (a run holds two images
// at once: the installed font and its revision), each reused by a buffer
// that fits in it; when none fits, the kept ones are freed before a larger
// block is made. A run's memory so stays near its two largest images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LargeMemory.h"

namespace platform {

class ImageBuffer {
 public:
  ImageBuffer() = default;
  ~ImageBuffer() { Release(); }
  ImageBuffer(ImageBuffer&& other) noexcept;
  ImageBuffer& operator=(ImageBuffer&& other) noexcept;
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;

  // Makes the buffer `size` bytes in place of what it held. Their values are
  // whatever the block held last (another font's bytes): the caller writes
  // every one it uses. False, with the buffer empty, when there is no memory
  // for them; 0 bytes give an empty buffer.
  bool Allocate(std::size_t size);
  // Makes the buffer a copy of `bytes`; false, empty, as above.
  bool Assign(std::span<const std::uint8_t> bytes);
  // Gives the block back to be kept or freed; the buffer is empty.
  void Release();

  std::uint8_t* data() { return static_cast<std::uint8_t*>(m_block.base); }
  const std::uint8_t* data() const { return static_cast<const std::uint8_t*>(m_block.base); }
  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  std::uint8_t* begin() { return data(); }
  std::uint8_t* end() { return data() + m_size; }
  const std::uint8_t* begin() const { return data(); }
  const std::uint8_t* end() const { return data() + m_size; }
  std::uint8_t& operator[](std::size_t i) { return data()[i]; }
  std::uint8_t operator[](std::size_t i) const { return data()[i]; }

 private:
  LargeBlock m_block;
  std::size_t m_size = 0;
};

// Frees the blocks the process keeps. For the end of a run: the next run
// (or none) gets fresh ones.
void ReleaseKeptBlocks();

}  // namespace platform
