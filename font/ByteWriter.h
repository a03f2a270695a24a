// Writing big-endian fields into a buffer of a size fixed beforehand: every
// write checks the room it needs, so a miscount fails instead of overrunning.
// The writing side of CByteReader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "font/BigEndian.h"

class CByteWriter {
 public:
  explicit CByteWriter(std::span<std::uint8_t> bytes) : m_bytes(bytes) {}

  bool Seek(std::size_t offset) {
    if (offset > m_bytes.size()) return false;
    m_offset = offset;
    return true;
  }
  bool U8(std::uint8_t value) { return Bytes(&value, 1); }
  bool U16(std::uint16_t value) {
    std::uint8_t raw[2];
    StoreU16(raw, value);
    return Bytes(raw, 2);
  }
  bool U32(std::uint32_t value) {
    std::uint8_t raw[4];
    StoreU32(raw, value);
    return Bytes(raw, 4);
  }
  bool Bytes(const void* data, std::size_t count) {
    if (count > m_bytes.size() - m_offset) return false;
    if (count != 0) std::memcpy(m_bytes.data() + m_offset, data, count);
    m_offset += count;
    return true;
  }
  std::size_t Offset() const { return m_offset; }

 private:
  std::span<std::uint8_t> m_bytes;
  std::size_t m_offset = 0;
};
