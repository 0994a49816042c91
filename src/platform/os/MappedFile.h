#pragma once
// A whole file mapped read-only into memory: the substitute for CreateFileW,
// CreateFileMappingW and MapViewOfFile. Closing unmaps the view and the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tav::os {

class MappedFile {
 public:
  enum class Status { Ok, OpenFailed, MapFailed };
  // Whole: every page is read in when the file is opened, for a reader that
  // goes through all of it. OnDemand: pages are read when first touched, for
  // a reader that only visits parts.
  enum class Reading { Whole, OnDemand };

  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // On failure the last error (GetLastError) holds the system's code. An empty
  // file maps successfully with size 0 and no data.
  Status Open(std::wstring_view path, Reading reading = Reading::Whole);
  void Close();

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  // Copies `count` bytes from `offset` of the file as it is now, without
  // touching the view: a file cut short or replaced since it was opened gives
  // false (with the last error set) where reading the view would end the
  // process.
  bool ReadAt(uint64_t offset, size_t count, uint8_t* out) const;

 private:
  int fd_ = -1;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace tav::os
