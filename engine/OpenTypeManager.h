// One font being revised: the loaded font (COpenTypeFont) plus the state of
// its update, the patch, the image of the revised font and the expected sum.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "font/OpenTypeFont.h"
#include "font/Progress.h"

class CMakeSabunData;
struct SearchCandidate;

class COpenTypeManager : public COpenTypeFont {
 public:
  COpenTypeManager();
  ~COpenTypeManager() override;

  // Frees the font and the update state attached to it (patch, new image).
  void ReleaseFont() override;

  // Revises the installed font at `fontPath` from its patch: reads it (the
  // very file the search found, when it found it), checks that it still
  // carries the name and revision its patch revises, builds the revised
  // font (written to a new temporary file as well), puts the built image in
  // the installed file's place in one step and verifies it there: its word
  // sum, and every byte against the image. The installed path holds
  // at every instant the whole installed font or the whole revised one.
  // 0 revised; 1 the font or its patch cannot be read or do not fit, or the
  // font is no longer the file the search found (nothing written);
  // 6 stopped; 10 the replacement failed (the installed font untouched);
  // 12 the revised font cannot be read back; 13 its sum differs (with 12 and
  // 13 the installed font is put back in one step).
  //
  // A font Windows still holds (another session has it loaded) in a folder
  // only administrators can write is revised at the next restart: the
  // revised font is written beside it, read back and verified there, and
  // its replacement scheduled; 0, with replacedAtRestart set. Elsewhere a
  // held font gives 10, as any refused replacement does.
  int UpdateFont(const std::string& fontPath, std::uint32_t expectedRevision, ProgressCallback progress, void* window,
                 int fontCount, int fontIndex);

  // Builds the revised font from the loaded font and the patch "FONT_PA"
  // `resourceNumber`, and writes it to `tempPath` (a new file). 0 written;
  // 1 a table named by the patch is missing or the patch does not fit the
  // font; 6 stopped; 7 the patch cannot be read; 9 no head table; 11 the file
  // cannot be created.
  int BuildNewFont(const std::string& fontPath, std::uint16_t resourceNumber, const std::string& tempPath,
                   ProgressCallback progress, void* window, int fontCount, int fontIndex);
  // The same build from the bytes of a patch file (sabun apply).
  int BuildNewFontFromBytes(const std::string& fontPath, std::span<const std::uint8_t> patchBytes,
                            const std::string& tempPath, ProgressCallback progress, void* window, int fontCount,
                            int fontIndex);

  // Fixes head's directory checksum and checkSumAdjustment in the first
  // newFontSize bytes of newImage, and reports step 75. 0 done; 6 stopped at
  // step 75 (the adjustment stays 0); 9 no head entry among the `numTables`
  // entries that lie inside the image, or the first head entry's table does
  // not lie inside the image or is shorter than the 12 bytes that reach the
  // adjustment. With 9 the image is unchanged.
  int RecalcCheckSum(const std::string& fontPath, std::uint32_t sfntVersion, std::uint16_t numTables,
                     std::uint16_t searchRange, std::uint16_t entrySelector, std::uint16_t rangeShift,
                     ProgressCallback progress, void* window, int fontCount, int fontIndex);

  // Re-reads the file at `fontPath` and compares its word sum with
  // `expectedSum`: 0 equal, 12 cannot be opened or empty, 13 different.
  int VerifyFontFile(const std::string& fontPath, std::uint32_t expectedSum) const;
  // The same on the file `file` names, reached only as that very file. Every
  // well-formed font sums to the same value (that is what checkSumAdjustment
  // is for), so with `expectedBytes` the file must also read back as exactly
  // those bytes: the font that was built, not any font or any bytes padded
  // to that sum.
  int VerifyFontFile(const platform::FileIdentity& file, std::uint32_t expectedSum,
                     std::span<const std::uint8_t> expectedBytes = {}) const;

  // Whether the loaded font carries the font name and the revision that
  // `candidate` expects, as the search read them from the file.
  bool CarriesIdentityOf(const SearchCandidate& candidate) const;

  // The revised font, from a BuildNewFont that wrote it until ReleaseFont
  // (a build from bytes or a failed build leaves none).
  platform::ImageBuffer newImage;
  std::uint32_t newFontSize = 0;
  std::unique_ptr<CMakeSabunData> patch;
  std::uint32_t expectedFileSum = 0;
  bool tempFileWritten = false;    // BuildNewFont created the temporary file
  std::uint32_t newRevision = 0;   // the revised font's head.fontRevision, once built
  bool replacedAtRestart = false;  // UpdateFont left the revised font for the restart

 private:
  // The revised font `waiting`, kept beside the held `installed` font,
  // verified and scheduled to replace it at the restart: 0, or 10, 12, 13.
  int ScheduleForRestart(const platform::FileIdentity& waiting, const platform::FileIdentity& installed,
                         std::span<const std::uint8_t> revised);
  // The word sum of the revised font's tables but head, each zero-padded,
  // known while a build whose tables all start on a 4-byte boundary fixes
  // its checksums: the whole font's sum is then that, the directory's words
  // and head's checksum, and the image need not be summed again.
  std::uint32_t m_sumBesideHead = 0;
  bool m_sumBesideHeadKnown = false;
  // The build, with the patch loaded by `loadPatch` (false: 7).
  int BuildNewFontWith(const std::string& fontPath, const std::function<bool(CMakeSabunData&)>& loadPatch,
                       const std::string& tempPath, ProgressCallback progress, void* window, int fontCount,
                       int fontIndex);
};
