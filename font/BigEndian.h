// Big-endian fields: CopyBigEndian reads a field into a host value, the Store
// functions write one. Values are built with shifts, so the result is the
// same on every host.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads `width` (1, 2 or 4) big-endian bytes at `source` into `destination`,
// a host integer of that width. The caller has checked that the bytes exist.
inline void CopyBigEndian(void* destination, const void* source, std::size_t width) {
  const auto* in = static_cast<const std::uint8_t*>(source);
  if (width == 1) {
    *static_cast<std::uint8_t*>(destination) = in[0];
  } else if (width == 2) {
    *static_cast<std::uint16_t*>(destination) = static_cast<std::uint16_t>((in[0] << 8) | in[1]);
  } else if (width == 4) {
    *static_cast<std::uint32_t*>(destination) = (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
                                                (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
  }
}

inline std::uint16_t LoadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}

inline void StoreU16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value >> 8);
  p[1] = static_cast<std::uint8_t>(value);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value >> 24);
  p[1] = static_cast<std::uint8_t>(value >> 16);
  p[2] = static_cast<std::uint8_t>(value >> 8);
  p[3] = static_cast<std::uint8_t>(value);
}
