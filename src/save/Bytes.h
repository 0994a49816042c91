#pragma once
// Little-endian fields of the per-user files: a reader that never reads past
// the end of its bytes, and appenders for writing.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tav {

class CByteReader {
 public:
  explicit CByteReader(std::string_view bytes) : bytes_(bytes) {}

  // Each takes the next field; false, taking nothing, when too few bytes are left.
  bool Int32(int32_t& value) { return Take(&value, 4); }
  bool Float(float& value) { return Take(&value, 4); }
  bool Unit(uint16_t& value) { return Take(&value, 2); }
  bool Byte(uint8_t& value) { return Take(&value, 1); }
  bool Skip(size_t count) {
    if (count > Remaining()) return false;
    at_ += count;
    return true;
  }
  size_t Remaining() const { return bytes_.size() - at_; }

 private:
  // The files are little-endian, as is every machine the engine runs on.
  bool Take(void* out, size_t size) {
    if (size > Remaining()) return false;
    std::memcpy(out, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }

  std::string_view bytes_;
  size_t at_ = 0;
};

inline void PutBytes(std::string& out, const void* value, size_t size) {
  out.append(static_cast<const char*>(value), size);
}
inline void PutInt32(std::string& out, int32_t value) { PutBytes(out, &value, 4); }
inline void PutFloat(std::string& out, float value) { PutBytes(out, &value, 4); }
inline void PutUnit(std::string& out, uint16_t value) { PutBytes(out, &value, 2); }

}  // namespace tav
