// Linux paths are UTF-8: no byte of a character can pass for a separator.
namespace platform {
bool IsLeadByte(unsigned char) { return false; }
}  // namespace platform
