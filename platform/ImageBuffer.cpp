// Font image buffers over blocks of the system's memory.
#include "platform/ImageBuffer.h"

#include <cstring>
#include <utility>

namespace platform {

ImageBuffer::ImageBuffer(ImageBuffer&& other) noexcept
    : m_block(std::exchange(other.m_block, LargeBlock())), m_size(std::exchange(other.m_size, 0)) {}

ImageBuffer& ImageBuffer::operator=(ImageBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    m_block = std::exchange(other.m_block, LargeBlock());
    m_size = std::exchange(other.m_size, 0);
  }
  return *this;
}

bool ImageBuffer::AllocateZeroed(std::size_t size) {
  Release();
  if (size == 0 || !MapLargeBlock(size, m_block)) return false;
  m_size = size;
  return true;
}

bool ImageBuffer::Assign(std::span<const std::uint8_t> bytes) {
  if (!AllocateZeroed(bytes.size())) return false;
  std::memcpy(data(), bytes.data(), bytes.size());
  return true;
}

void ImageBuffer::Release() {
  UnmapLargeBlock(m_block);
  m_size = 0;
}

}  // namespace platform
