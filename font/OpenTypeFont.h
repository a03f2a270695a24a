// One font file in memory: the file image, its offset table and one table
// object per directory entry, in directory order and in offset order. This is
// the reading side of COpenTypeManager, which adds the state of an update.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "font/NameTable.h"
#include "font/OpenTypeHeader.h"
#include "font/OpenTypeObject.h"
#include "font/Progress.h"
#include "font/SortArray.h"
#include "font/TagObject.h"
#include "platform/ImageBuffer.h"
#include "platform/ReachedFiles.h"

// The largest file the program reads as a font. A CFF font holds at most
// 65,535 glyphs, and the largest OpenType CFF fonts (full CJK sets) take a
// few tens of megabytes; 256 MiB leaves ten times that room, while a larger
// file named like a font (a sparse file, say) is refused before anything is
// allocated. The 32-bit build must also hold the installed font and its
// revision at once, with room to spare.
constexpr std::uint64_t kLargestFontFile = std::uint64_t{256} << 20;

// Whether the four bytes at `tag` are a table tag the reader accepts: each
// from 0x20 to 0x7E, and no space before a character that is not one.
bool IsTableTag(const std::uint8_t* tag);

// The two parts of a font's identity, each found or not on its own.
struct FontIdentity {
  bool nameFound = false;
  std::string name;
  FontNameRule nameRule = FontNameRule::kNone;  // which part of the rule gave the name
  bool revisionFound = false;
  std::uint32_t revision = 0;
};

// The table objects point into `fileImage`; both are released together by
// ReleaseFont, and nothing else may keep a table object past it.
class COpenTypeFont : public COpenTypeObject {
 public:
  COpenTypeFont();
  ~COpenTypeFont() override;
  COpenTypeFont(const COpenTypeFont&) = delete;
  COpenTypeFont& operator=(const COpenTypeFont&) = delete;

  // Loads the font at `path`. Reports steps 10, 20 and 30 through `progress`
  // only when `window` is given. 0 loaded; 1 not a loadable 'OTTO' font, a
  // tag that is not a table tag (IsTableTag) or that appears twice, or a
  // directory or table that does not lie inside the file, or the file cannot be opened or read; 6 stopped at a report.
  int ReadFontFile(const std::string& path, ProgressCallback progress, void* window, int fontCount, int fontIndex);
  // The same on the file `file` names, reached only as that very file
  // (platform/ReachedFiles.h): 1 when it is not.
  int ReadFontFile(const platform::FileIdentity& file, ProgressCallback progress, void* window, int fontCount,
                   int fontIndex);

  // The same on bytes already in memory (`path` names them in the reports).
  int ReadFontImage(std::vector<std::uint8_t> image, const std::string& path, ProgressCallback progress, void* window,
                    int fontCount, int fontIndex);

  // The first table in directory order whose tag text equals `tagText`.
  CTagObject* FindTagObject(const char* tagText) const;

  // Frees the file image and every table object and forgets the offset
  // table. Safe on an empty font. Virtual so that every read, which starts
  // here, also frees what a derived class attaches to the font.
  virtual void ReleaseFont();

  // The font name by its one rule (CTagNameObject::FindFontName), when the
  // directory entry at `entryIndex` lies inside the file and is a `name`
  // table that lies inside the file and yields one. `name` is changed only
  // when the result is not kNone. With `fifthRecordOnly`, only the fifth
  // record is asked. `tableRead` (when given) tells whether the entry was a
  // `name` table inside the file.
  FontNameRule ReadFontNameBy(std::size_t entryIndex, std::string& name, bool fifthRecordOnly = false,
                              bool* tableRead = nullptr) const;
  bool ReadFontName(std::size_t entryIndex, std::string& name) const {
    return ReadFontNameBy(entryIndex, name) != FontNameRule::kNone;
  }
  // head.fontRevision (raw 16.16 bits) when the entry at `entryIndex` is a
  // `head` table of at least 54 bytes that lies inside the file.
  bool ReadFontRevision(std::size_t entryIndex, std::uint32_t& revision) const;
  // Reads of the file at `path` only what its name and revision need (its
  // offset table, its directory, and the name and head tables it names, each
  // cut to what those reads can reach) and finds them as FindIdentity does;
  // true only when both were found. `seen` gets what was opened (a link is
  // never followed).
  bool ReadFontIdentity(const std::string& path, std::uint32_t& revision, std::string& name,
                        platform::FileIdentity* seen = nullptr);
  bool ReadFontIdentityImage(std::vector<std::uint8_t> image, std::uint32_t& revision, std::string& name);
  // The same read, telling what was found of each part (for the tools).
  FontIdentity ReadFontIdentityParts(std::vector<std::uint8_t> image);

  // The name and revision of the loaded image, for the identity reads: the
  // first `name` entry in directory order whose fifth record yields a name,
  // else the name the first `name` table inside the image yields by the rest
  // of the rule, and, on its own,
  // the first `head` entry that yields a revision. Only entries whose
  // 16 bytes lie inside the image are read. True when both were found; the
  // outputs are changed only then.
  bool FindIdentity(std::uint32_t& revision, std::string& name) const;

  // The file's bytes without the extra zero byte kept after them.
  std::span<const std::uint8_t> Image() const { return {fileImage.data(), static_cast<std::size_t>(fileLength)}; }

  std::int32_t fileLength = 0;
  platform::ImageBuffer fileImage;  // fileLength + 1 bytes
  std::string fileName;             // base name and extension
  platform::FileIdentity file;      // what the last read opened
  std::string refusal;              // why the last read refused the font; empty when it did not
  COpenTypeHeader header;
  std::vector<std::unique_ptr<CTagObject>> tables;  // directory order; owns
  CSortArray<CTagObject> tablesByOffset;            // offset order; owns nothing

 private:
  FontIdentity FindIdentityParts() const;
  int ReadFontFrom(platform::FileReader& reader, const std::string& path, ProgressCallback progress, void* window,
                   int fontCount, int fontIndex);
  // Releases the font and keeps `image` as the file image with its extra
  // zero byte. False (nothing kept) when it is empty or too large for the
  // file length's 32 bits.
  bool LoadImage(std::vector<std::uint8_t> image);
  // The same with a buffer that holds the file's bytes and one byte more,
  // which is zero: the buffer itself is kept.
  bool LoadImage(platform::ImageBuffer&& image);
  // ReadFontImage's checks and parse of the image just loaded.
  int ParseLoadedImage(bool loaded, const std::string& path, ProgressCallback progress, void* window, int fontCount,
                       int fontIndex);
  int ParseFontImage(const std::string& path, const std::string& baseName, ProgressCallback progress, void* window,
                     int fontCount, int fontIndex);
};
