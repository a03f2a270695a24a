// One font file in memory: the file image, its offset table and one table
// object per directory entry, in directory order and in offset order. This is
// the reading side of COpenTypeManager, which adds the state of an update.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "font/OpenTypeHeader.h"
#include "font/OpenTypeObject.h"
#include "font/Progress.h"
#include "font/SortArray.h"
#include "font/TagObject.h"

// Whether `tagText` is one of the 19 tables the program accepts in a font.
bool IsKnownTag(const char* tagText);

// The table objects point into `fileImage`; both are released together by
// ReleaseFont, and nothing else may keep a table object past it.
class COpenTypeFont : public COpenTypeObject {
 public:
  COpenTypeFont();
  ~COpenTypeFont() override;
  COpenTypeFont(const COpenTypeFont&) = delete;
  COpenTypeFont& operator=(const COpenTypeFont&) = delete;

  // Loads the font at `path`. Reports steps 10, 20 and 30 through `progress`
  // only when `window` is given. 0 loaded; 1 not a loadable 'OTTO' font with
  // only known tables, or a directory or table that does not lie inside the
  // file, or the file cannot be opened or read; 6 stopped at a report.
  int ReadFontFile(const std::string& path, ProgressCallback progress, void* window, int fontCount, int fontIndex);

  // The same on bytes already in memory (`path` names them in the reports).
  int ReadFontImage(std::vector<std::uint8_t> image, const std::string& path, ProgressCallback progress,
                    void* window, int fontCount, int fontIndex);

  // The first table in directory order whose tag text equals `tagText`.
  CTagObject* FindTagObject(const char* tagText) const;

  // Frees the file image and every table object. Safe on an empty font.
  void ReleaseFont();

  // The font name: the fifth name record's bytes up to the first zero, when
  // the directory entry at `entryIndex` is a `name` table that yields one.
  bool ReadFontName(std::size_t entryIndex, std::string& name) const;
  // head.fontRevision (raw 16.16 bits) when the entry at `entryIndex` is a
  // `head` table that lies inside the file.
  bool ReadFontRevision(std::size_t entryIndex, std::uint32_t& revision) const;
  // Reads the file at `path` and finds its name and revision without table
  // objects or reports; true only when both were found. The image is freed
  // before it returns.
  bool ReadFontIdentity(const std::string& path, std::uint32_t& revision, std::string& name);
  bool ReadFontIdentityImage(std::vector<std::uint8_t> image, std::uint32_t& revision, std::string& name);

  // The file's bytes without the extra zero byte kept after them.
  std::span<const std::uint8_t> Image() const {
    return {fileImage.data(), static_cast<std::size_t>(fileLength)};
  }

  std::int32_t fileLength = 0;
  std::vector<std::uint8_t> fileImage;  // fileLength + 1 bytes
  std::string fileName;                 // base name and extension
  COpenTypeHeader header;
  std::vector<std::unique_ptr<CTagObject>> tables;  // directory order; owns
  CSortArray<CTagObject> tablesByOffset;             // offset order; owns nothing

 protected:
  // The name and revision of the loaded image, for the identity reads.
  bool FindIdentity(std::uint32_t& revision, std::string& name) const;

 private:
  int ParseFontImage(const std::string& path, const std::string& baseName, ProgressCallback progress, void* window,
                     int fontCount, int fontIndex);
};
