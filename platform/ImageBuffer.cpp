// Font image buffers over blocks of the system's memory, and the keeper of
// the blocks they give back.
#include "platform/ImageBuffer.h"

#include <cstring>
#include <mutex>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kKeptBlocks = 2;

class BlockKeeper {
 public:
  // A kept block of at least `size` bytes (the smallest that fits), else a
  // new one. False when no block can be made.
  bool Take(std::size_t size, LargeBlock& block) {
    std::lock_guard<std::mutex> lock(m_mutex);
    LargeBlock* best = nullptr;
    for (LargeBlock& kept : m_kept) {
      if (kept.base != nullptr && kept.capacity >= size && (best == nullptr || kept.capacity < best->capacity))
        best = &kept;
    }
    if (best != nullptr) {
      block = std::exchange(*best, LargeBlock());
      return true;
    }
    // None fits: the kept blocks are too small for the fonts of this run,
    // and go before a larger one is made.
    for (LargeBlock& kept : m_kept) UnmapLargeBlock(kept);
    return MapLargeBlock(size, block);
  }

  // Keeps `block`, or when two are kept already, the two largest of the three.
  void Give(LargeBlock block) {
    std::lock_guard<std::mutex> lock(m_mutex);
    LargeBlock* smallest = &m_kept[0];
    for (LargeBlock& kept : m_kept) {
      if (kept.base == nullptr) {
        kept = block;
        return;
      }
      if (kept.capacity < smallest->capacity) smallest = &kept;
    }
    if (smallest->capacity < block.capacity) std::swap(*smallest, block);
    UnmapLargeBlock(block);
  }

  void FreeAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (LargeBlock& kept : m_kept) UnmapLargeBlock(kept);
  }

 private:
  std::mutex m_mutex;
  LargeBlock m_kept[kKeptBlocks];
};

// Never destroyed: a buffer in a static object may give its block back
// after the keeper would be gone; the system takes the blocks at exit.
BlockKeeper& Keeper() {
  static BlockKeeper* const keeper = new BlockKeeper;
  return *keeper;
}

}  // namespace

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

bool ImageBuffer::Allocate(std::size_t size) {
  Release();
  if (size == 0) return true;
  if (!Keeper().Take(size, m_block)) return false;
  m_size = size;
  MarkBlockInUse(m_block, size);
  return true;
}

bool ImageBuffer::Assign(std::span<const std::uint8_t> bytes) {
  if (!Allocate(bytes.size())) return false;
  if (!bytes.empty()) std::memcpy(data(), bytes.data(), bytes.size());
  return true;
}

void ImageBuffer::Release() {
  if (m_block.base != nullptr) {
    MarkBlockInUse(m_block, m_block.capacity);
    Keeper().Give(std::exchange(m_block, LargeBlock()));
  }
  m_size = 0;
}

void ReleaseKeptBlocks() { Keeper().FreeAll(); }

}  // namespace platform
