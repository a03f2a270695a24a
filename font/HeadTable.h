// The `head` table: its 54 bytes of fields, of which the font identity uses
// fontRevision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "font/OpenTypeObject.h"
#include "font/TagObject.h"

constexpr std::size_t kHeadTableSize = 54;
// checkSumAdjustment, the 32-bit field that makes the whole font sum to
// 0xB1B0AFBA.
constexpr std::size_t kHeadCheckSumAdjustmentOffset = 8;

// The fields of a head table in their stored order, in host order except the
// two dates, which keep their file bytes.
class CHeadInfoObject : public COpenTypeObject {
 public:
  // Fills the fields from the first 54 bytes of `table`. False, and nothing
  // read, when the table is shorter: the identity read then finds no
  // revision in this table.
  bool ParseHeadTable(std::span<const std::uint8_t> table);

  std::uint32_t version = 0;       // majorVersion and minorVersion
  std::uint32_t fontRevision = 0;  // 16.16 fixed point, raw bits
  std::uint32_t checkSumAdjustment = 0;
  std::uint32_t magicNumber = 0;
  std::uint16_t flags = 0;
  std::uint16_t unitsPerEm = 0;
  std::uint8_t created[8] = {};
  std::uint8_t modified[8] = {};
  std::int16_t xMin = 0;
  std::int16_t yMin = 0;
  std::int16_t xMax = 0;
  std::int16_t yMax = 0;
  std::uint16_t macStyle = 0;
  std::uint16_t lowestRecPPEM = 0;
  std::int16_t fontDirectionHint = 0;
  std::int16_t indexToLocFormat = 0;
  std::int16_t glyphDataFormat = 0;
};

// The head table of a font, parsed for one question and then deleted.
class CTagHeadObject : public CTagObject {
 public:
  // Parses the table that the directory fields point at: false when it does
  // not lie inside `image` or is shorter than 54 bytes.
  bool ParseHeadTable(std::span<const std::uint8_t> image);

  CHeadInfoObject headInfo;
};

// A head.fontRevision (16.16 fixed point) as fonts show it: "1.010", "2.003",
// the fraction rounded to three decimals.
std::string FormatRevision(std::uint32_t fontRevision);
