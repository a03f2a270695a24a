// The offset order of table objects.
#include <gtest/gtest.h>

#include "font/SortArray.h"
#include "font/TagObject.h"

namespace {

std::vector<std::uint32_t> SortedOffsets(const std::vector<std::uint32_t>& offsets) {
  std::vector<CTagObject> tables(offsets.size());
  CSortArray<CTagObject> array;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    tables[i].offset = offsets[i];
    array.Add(&tables[i]);
  }
  array.Sort(CompareTableOffset);
  std::vector<std::uint32_t> result;
  for (CTagObject* table : array) result.push_back(table->offset);
  return result;
}

TEST(SortArray, SortsByOffsetWhateverTheInputOrder) {
  EXPECT_EQ(SortedOffsets({300, 12, 200, 4000, 100}), (std::vector<std::uint32_t>{12, 100, 200, 300, 4000}));
  EXPECT_EQ(SortedOffsets({5, 4, 3, 2, 1}), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(SortedOffsets({1, 2, 3, 4, 5}), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(SortedOffsets({7, 7, 3, 7, 3}), (std::vector<std::uint32_t>{3, 3, 7, 7, 7}));
  EXPECT_EQ(SortedOffsets({0xFFFFFFF0u, 1}), (std::vector<std::uint32_t>{1, 0xFFFFFFF0u}));
  EXPECT_TRUE(SortedOffsets({}).empty());
}

TEST(SortArray, DeepDescendingDirectoryDoesNotExhaustTheStack) {
  std::vector<std::uint32_t> offsets;
  for (std::uint32_t i = 65535; i > 0; --i) offsets.push_back(i * 16);
  const std::vector<std::uint32_t> sorted = SortedOffsets(offsets);
  ASSERT_EQ(sorted.size(), 65535u);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
}

}  // namespace
