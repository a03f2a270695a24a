// The update data carried by the executable itself (real resources on
// Windows, linked-in blocks on Linux) and the sources that stand in for it.
#include <gtest/gtest.h>

#include "platform/Resources.h"
#include "tests/support/TestFiles.h"

namespace {

using platform::LoadOwnResource;
using platform::ResourceBytes;

std::vector<std::uint8_t> Bytes(const ResourceBytes& block) { return {block.data, block.data + block.size}; }

std::vector<std::uint8_t> DataFile(const std::string& name) {
  return test_support::ReadBytes(test_support::SourcePath("tests/platform/data/" + name));
}

TEST(Resources, TheExecutableCarriesItsUpdateData) {
  ResourceBytes block;
  ASSERT_TRUE(LoadOwnResource("INIFILE", 2000, block));
  EXPECT_EQ(Bytes(block), DataFile("update.ini"));
  ASSERT_TRUE(LoadOwnResource("FONT_PA", 2001, block));
  EXPECT_EQ(Bytes(block), DataFile("patches/2001.pa"));
  ASSERT_TRUE(LoadOwnResource("DLNAMES", 1, block));
  EXPECT_EQ(Bytes(block), DataFile("download-names.txt"));
}

TEST(Resources, MissingAndEmptyBlocksAreFailures) {
  ResourceBytes block;
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 2002, block));  // present but empty
  EXPECT_EQ(block.data, nullptr);
  EXPECT_EQ(block.size, 0u);
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 2003, block));
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 2000, block));  // the number of another type
  EXPECT_FALSE(LoadOwnResource("INIFILE", 2001, block));
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 65535, block));  // what a missing FONT_RESNUM (-1) names
}

TEST(Resources, AnInstalledSourceStandsInForTheExecutable) {
  platform::MemoryResources memory;
  memory.Add("FONT_PA", 2003, {1, 2, 3});
  memory.Add("FONT_PA", 2004, {});
  platform::SetResourceSource(&memory);
  ResourceBytes block;
  EXPECT_TRUE(LoadOwnResource("FONT_PA", 2003, block));
  EXPECT_EQ(Bytes(block), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 2004, block));
  EXPECT_FALSE(LoadOwnResource("INIFILE", 2000, block));  // the executable's own are out of sight
  platform::SetResourceSource(nullptr);
  EXPECT_FALSE(LoadOwnResource("FONT_PA", 2003, block));
  EXPECT_TRUE(LoadOwnResource("INIFILE", 2000, block));
}

}  // namespace
