// The buffer that holds a whole font image (an installed font's file image,
// the revised font's image): one block of the system's memory
// (platform/LargeMemory.h) rather than a vector, so that its pages can be
// the system's large ones.
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

  // Makes the buffer `size` bytes, all zero, in place of what it held.
  // False, with the buffer empty, when there is no memory for them (or
  // `size` is 0).
  bool AllocateZeroed(std::size_t size);
  // Makes the buffer a copy of `bytes`; false, empty, as above.
  bool Assign(std::span<const std::uint8_t> bytes);
  // Frees the block; the buffer is empty.
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

}  // namespace platform
