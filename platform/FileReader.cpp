// Reading a file opened by FileReader, the same on every system: whole, with
// a bound checked before anything is allocated, or piece by piece.
#include <memory>

#include "platform/FileFaults.h"
#include "platform/ReachedFiles.h"

namespace platform {

bool FileReader::ReadInPieces(std::size_t pieceSize,
                              const std::function<void(std::span<const std::uint8_t>)>& consume) {
  if (pieceSize == 0 || !IsOpen()) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, Identity().Path());
  if (readFault == Fault::Refuse) return false;
  // Not cleared: every piece is read into before it is used.
  const auto piece = std::make_unique_for_overwrite<std::uint8_t[]>(pieceSize);
  for (std::uint64_t at = 0; at < Size();) {
    const std::uint64_t left = Size() - at;
    const std::size_t wanted = left < pieceSize ? static_cast<std::size_t>(left) : pieceSize;
    if (!ReadAt(at, {piece.get(), wanted}) || readFault == Fault::PartWay) return false;
    consume({piece.get(), wanted});
    at += wanted;
  }
  return true;
}

bool FileReader::ReadWhole(ImageBuffer& bytes, std::uint64_t maxSize) {
  bytes.Release();
  if (!IsOpen() || Size() > maxSize || Size() >= static_cast<std::size_t>(-1)) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, Identity().Path());
  if (readFault == Fault::Refuse) return false;
  const auto size = static_cast<std::size_t>(Size());
  if (!bytes.Allocate(size + 1)) return false;
  if (!ReadAt(0, {bytes.data(), size}) || readFault == Fault::PartWay) {
    bytes.Release();
    return false;
  }
  bytes[size] = 0;
  return true;
}

}  // namespace platform
