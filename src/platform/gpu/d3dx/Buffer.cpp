#include "platform/gpu/d3dx/Buffer.h"

#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/gpu/RefCounted.h"

namespace tav::gpu::d3dx {

namespace {

class Buffer final : public RefCounted<ID3DXBuffer> {
 public:
  explicit Buffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}
  void* GetBufferPointer() override { return bytes_.data(); }
  DWORD GetBufferSize() override { return DWORD(bytes_.size()); }

 private:
  std::vector<BYTE> bytes_;
};

HRESULT Wrap(std::vector<BYTE> bytes, ID3DXBuffer** out) {
  try {
    *out = new Buffer(std::move(bytes));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

HRESULT CreateBuffer(const void* bytes, size_t size, ID3DXBuffer** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if ((!bytes && size) || size > std::numeric_limits<DWORD>::max()) return D3DERR_INVALIDCALL;
  try {
    std::vector<BYTE> copy(size);
    if (size) std::memcpy(copy.data(), bytes, size);
    return Wrap(std::move(copy), out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CreateTextBuffer(const char* text, size_t length, ID3DXBuffer** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if ((!text && length) || length >= std::numeric_limits<DWORD>::max()) return D3DERR_INVALIDCALL;
  try {
    std::vector<BYTE> copy(length + 1, 0);
    if (length) std::memcpy(copy.data(), text, length);
    return Wrap(std::move(copy), out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tav::gpu::d3dx
