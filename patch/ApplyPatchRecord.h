// The rebuild of one table of a font from its patch record: kept, replaced
// whole, or assembled from ranges of the installed table and bytes carried in
// the patch.
#pragma once

#include <cstdint>
#include <span>

#include "font/TagObject.h"
#include "patch/MakeSabunData.h"

// Whether `record` can rebuild `table` (its tag's installed table, empty for
// a table the font lacks) without reading or writing outside either: every
// copy inside the installed table's padded length (a copy can only give
// bytes the font has), every segment inside the new table's padded length,
// and a new table no longer than its segments give (SegmentBytes). Checked
// before anything is allocated for the table.
bool RecordFitsTable(const CTagObject& table, const CSabunTagObject& record);

// Fills the rebuilt form of `table` from `record` (whose tag is the table's):
// new data (padded to a multiple of 4, plus one zero byte), new tag, new
// checksum, new offset, new length, directory slot and data order. A second
// call starts from nothing. 1 done; 0 refused because the record does not
// fit the table (RecordFitsTable), or the new data cannot be allocated; the
// table then holds no new data.
int ApplyPatchRecord(CTagObject& table, const CSabunTagObject& record);

// The same rebuild written straight into the new file's `image` at the
// record's new offset (its newLength bytes must lie inside the image; every
// one of them is written, whatever the image held there, and no other): the
// rebuilt form without new data. 1 done; 0 refused as above, or
// because the table does not fit in the image, and then nothing is written.
int ApplyPatchRecordInto(CTagObject& table, const CSabunTagObject& record, std::span<std::uint8_t> image);
