#pragma once
// Everything that owns device content which must be dropped before a device
// reset and rebuilt after it.
class CRestore {
 public:
  virtual ~CRestore() = default;
  // Rebuild the device content; false when that failed.
  virtual bool Restore() = 0;
  // Drop the device content; false when that failed.
  virtual bool Release() = 0;
};
