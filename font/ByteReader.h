// One bounds-checked reader over a byte span, shared by the font, name, head,
// patch and INI code. Every read returns false and moves nothing when the
// span is too short. The reader points into bytes it does not own: they must
// outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "font/BigEndian.h"

class CByteReader {
 public:
  CByteReader() = default;
  explicit CByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  CByteReader(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

  std::size_t Size() const { return m_bytes.size(); }
  std::size_t Offset() const { return m_offset; }
  std::size_t Remaining() const { return m_bytes.size() - m_offset; }
  const std::uint8_t* Data() const { return m_bytes.data(); }

  // Whether `length` bytes from `offset` lie inside the span (cannot overflow).
  bool Contains(std::size_t offset, std::size_t length) const {
    return length <= m_bytes.size() && offset <= m_bytes.size() - length;
  }

  bool Seek(std::size_t offset) {
    if (offset > m_bytes.size()) return false;
    m_offset = offset;
    return true;
  }
  bool Skip(std::size_t count) {
    if (count > Remaining()) return false;
    m_offset += count;
    return true;
  }

  bool ReadU8(std::uint8_t& value) {
    if (Remaining() < 1) return false;
    value = m_bytes[m_offset++];
    return true;
  }
  bool ReadU16(std::uint16_t& value) {
    if (Remaining() < 2) return false;
    value = LoadU16(m_bytes.data() + m_offset);
    m_offset += 2;
    return true;
  }
  bool ReadU32(std::uint32_t& value) {
    if (Remaining() < 4) return false;
    value = LoadU32(m_bytes.data() + m_offset);
    m_offset += 4;
    return true;
  }
  bool ReadS32(std::int32_t& value) {
    std::uint32_t raw;
    if (!ReadU32(raw)) return false;
    value = static_cast<std::int32_t>(raw);
    return true;
  }
  // Four tag bytes exactly as stored.
  bool ReadTag(std::uint8_t (&tag)[4]) { return ReadBytes(tag, 4); }
  bool ReadBytes(void* out, std::size_t count) {
    if (count > Remaining()) return false;
    if (count != 0) std::memcpy(out, m_bytes.data() + m_offset, count);
    m_offset += count;
    return true;
  }
  // A view of the next `count` bytes without copying them.
  bool ReadSpan(std::size_t count, std::span<const std::uint8_t>& out) {
    if (count > Remaining()) return false;
    out = m_bytes.subspan(m_offset, count);
    m_offset += count;
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_offset = 0;
};
