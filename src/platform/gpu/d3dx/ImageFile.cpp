#include "platform/gpu/d3dx/ImageFile.h"

#include <new>

#include "platform/gpu/d3dx/ImageDecode.h"

namespace tav::gpu::d3dx {

HRESULT OpenImageFile(const void* data, size_t size, ImageFile& out) {
  out = {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  out.data = bytes;
  out.size = size;
  if (HasDdsMagic(bytes, size)) {
    HRESULT hr = ReadDds(bytes, size, out.dds);
    if (FAILED(hr)) return hr;
    out.isDds = true;
    out.info.Width = out.dds.width;
    out.info.Height = out.dds.height;
    out.info.Depth = 1;
    out.info.MipLevels = UINT(out.dds.levels.size());
    out.info.Format = out.dds.format;
    out.info.ResourceType = D3DRTYPE_TEXTURE;
    out.info.ImageFileFormat = D3DXIFF_DDS;
    return S_OK;
  }
  return ReadCodecInfo(bytes, size, out.info) ? S_OK : D3DXERR_INVALIDDATA;
}

HRESULT DecodeImageLevel(const ImageFile& file, uint32_t level, Image& out) {
  if (file.isDds) {
    if (level >= file.dds.levels.size()) return D3DERR_INVALIDCALL;
    DecodeDdsLevel(file.dds, level, out);
    return S_OK;
  }
  if (level != 0) return D3DERR_INVALIDCALL;
  HRESULT hr = DecodeCodecImage(file.data, file.size, out);
  if (FAILED(hr)) return hr;
  // The pixels must agree with the header the description came from.
  if (out.width != file.info.Width || out.height != file.info.Height) return D3DXERR_INVALIDDATA;
  return S_OK;
}

}  // namespace tav::gpu::d3dx

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info) {
  if (!data || size == 0 || !info) return D3DERR_INVALIDCALL;
  try {
    tav::gpu::d3dx::ImageFile file;
    HRESULT hr = tav::gpu::d3dx::OpenImageFile(data, size, file);
    if (FAILED(hr)) return hr;
    *info = file.info;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
