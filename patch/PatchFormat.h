// The layout of a "VKTP" patch, read by the updater and written by the
// authoring tools: an 85-byte header, one 18-byte record per table of the
// revised font, then the difference blocks the records point to. All numbers
// are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t kPatchMagic[4] = {'V', 'K', 'T', 'P'};

// The header: magic, the font name (64 bytes, zero-padded), the installed
// font's revision, the revised font's size, the table count, 8 reserved bytes.
inline constexpr std::size_t kPatchHeaderSize = 85;
inline constexpr std::size_t kPatchFontNameOffset = 4;
inline constexpr std::size_t kPatchFontNameSize = 64;
inline constexpr std::size_t kPatchRevisionOffset = 68;
inline constexpr std::size_t kPatchNewFileSizeOffset = 72;
inline constexpr std::size_t kPatchTableCountOffset = 76;

// A record: tag, new directory slot, file order, block offset (0: the table
// is kept), new length, new offset.
inline constexpr std::size_t kPatchRecordSize = 18;

// A block: the old segments (srcOffset, length, dstOffset each) after their
// count, then the new segments (dstOffset, length, the bytes) after theirs.
inline constexpr std::size_t kOldSegmentSize = 12;
inline constexpr std::size_t kNewSegmentHeaderSize = 8;
