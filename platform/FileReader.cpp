// Reading a file opened by FileReader, the same on every system: whole, with
// a bound checked before anything is allocated, or piece by piece.
#include <new>

#include "platform/FileFaults.h"
#include "platform/ReachedFiles.h"

namespace platform {

bool FileReader::ReadInPieces(std::size_t pieceSize,
                              const std::function<void(std::span<const std::uint8_t>)>& consume) {
  if (pieceSize == 0 || !IsOpen()) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, Identity().Path());
  if (readFault == Fault::Refuse) return false;
  std::vector<std::uint8_t> piece(pieceSize);
  for (std::uint64_t at = 0; at < Size();) {
    const std::uint64_t left = Size() - at;
    const std::size_t wanted = left < pieceSize ? static_cast<std::size_t>(left) : pieceSize;
    if (!ReadAt(at, {piece.data(), wanted}) || readFault == Fault::PartWay) return false;
    consume({piece.data(), wanted});
    at += wanted;
  }
  return true;
}

bool FileReader::ReadWhole(std::vector<std::uint8_t>& bytes, std::uint64_t maxSize) {
  bytes.clear();
  if (!IsOpen() || Size() > maxSize || Size() >= bytes.max_size()) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, Identity().Path());
  if (readFault == Fault::Refuse) return false;
  try {
    // Room for the zero byte a font image gets after it, without a second buffer.
    bytes.reserve(static_cast<std::size_t>(Size()) + 1);
    bytes.resize(static_cast<std::size_t>(Size()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!ReadAt(0, bytes) || readFault == Fault::PartWay) {
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace platform
