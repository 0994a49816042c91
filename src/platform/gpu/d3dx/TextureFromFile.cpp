// Image files into textures: size, level count and format fitted to the
// device, then every level written through LockRect.
//
// Choices this layer makes:
// - Sizes given explicitly are kept when the device takes them; like default
//   sizes (the image's), they are otherwise fitted as D3DXCheckTextureRequirements
//   fits them.
// - Texture loading never creates render targets (they cannot be locked):
//   D3DUSAGE_RENDERTARGET gives D3DERR_NOTAVAILABLE.
// - A compressed (DXT) file stays compressed only when the device takes the
//   format and the file holds every level at the texture's sizes, so its
//   blocks can be copied as they are; otherwise it is decoded and the texture
//   becomes A8R8G8B8 (or the closest format the device supports). The same
//   applies to any format this layer cannot write.
// - HDR files are decoded tone mapped to 8 bits; by default they load as
//   X8R8G8B8.
// - Levels the file does not hold are 2x2 box averages of the level above,
//   whatever mip filter is asked for. The palette argument is not used.
#include <cstring>
#include <new>

#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/ImageFile.h"
#include "platform/gpu/d3dx/PixelFormats.h"
#include "platform/gpu/d3dx/Resample.h"
#include "platform/gpu/d3dx/TextureRequirements.h"

namespace tav::gpu::d3dx {

namespace {

enum class Placement { TopLeft, Point, Smooth };

bool PlacementOf(DWORD filter, Placement& out) {
  if (filter == D3DX_DEFAULT) {
    out = Placement::Smooth;
    return true;
  }
  switch (filter & 0xFF) {  // the higher bits are addressing and dithering hints
    case D3DX_FILTER_NONE:
      out = Placement::TopLeft;
      return true;
    case D3DX_FILTER_POINT:
      out = Placement::Point;
      return true;
    case D3DX_FILTER_LINEAR:
    case D3DX_FILTER_TRIANGLE:
    case D3DX_FILTER_BOX:
      out = Placement::Smooth;
      return true;
    default:
      return false;
  }
}

bool IsDefault(UINT value) { return value == 0 || value == D3DX_DEFAULT; }
bool IsDefaultFormat(D3DFORMAT format) { return format == D3DFMT_UNKNOWN || format == D3DFORMAT(D3DX_DEFAULT); }

// The texture format a file loads as by default.
D3DFORMAT NaturalFormat(const D3DXIMAGE_INFO& info) {
  return info.Format == D3DFMT_A32B32G32R32F ? D3DFMT_X8R8G8B8 : info.Format;
}

// Whether the file's stored level can go into the texture's level unchanged.
bool CopiesStored(const ImageFile& file, UINT level, const D3DSURFACE_DESC& desc, D3DCOLOR colourKey) {
  return file.isDds && colourKey == 0 && desc.Format == file.dds.format && level < file.dds.levels.size() &&
         file.dds.levels[level].width == desc.Width && file.dds.levels[level].height == desc.Height;
}

// Whether every level of a texture of this shape can be written in `format`:
// formats other than the plain ones only by copying the file's levels.
bool CanWrite(const ImageFile& file, D3DFORMAT format, UINT width, UINT height, UINT levels, D3DCOLOR colourKey) {
  if (IsPlainFormat(format)) return true;
  return file.isDds && colourKey == 0 && format == file.dds.format && width == file.dds.width &&
         height == file.dds.height && levels <= file.dds.levels.size();
}

void ApplyColourKey(D3DCOLOR key, Image& image) {
  if (key == 0) return;
  for (size_t i = 0; i < image.bgra.size(); i += 4) {
    uint8_t* t = &image.bgra[i];
    D3DCOLOR argb = D3DCOLOR(t[3]) << 24 | D3DCOLOR(t[2]) << 16 | D3DCOLOR(t[1]) << 8 | t[0];
    if (argb == key) t[0] = t[1] = t[2] = t[3] = 0;
  }
}

// Writes the texture's levels from the file.
class LevelWriter {
 public:
  LevelWriter(const ImageFile& file, Placement placement, D3DCOLOR colourKey)
      : file_(file), placement_(placement), colourKey_(colourKey) {}

  HRESULT Write(IDirect3DTexture9* texture) {
    const DWORD count = texture->GetLevelCount();
    for (DWORD level = 0; level < count; ++level) {
      D3DSURFACE_DESC desc;
      HRESULT hr = texture->GetLevelDesc(level, &desc);
      if (FAILED(hr)) return hr;
      hr = WriteLevel(texture, level, desc);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

 private:
  // Whether the file holds this level at exactly this size.
  bool FileHasLevel(UINT level, const D3DSURFACE_DESC& desc) const {
    return file_.isDds && level < file_.dds.levels.size() && file_.dds.levels[level].width == desc.Width &&
           file_.dds.levels[level].height == desc.Height;
  }

  HRESULT DecodeFileLevel(UINT level) {
    HRESULT hr = DecodeImageLevel(file_, level, decoded_);
    if (FAILED(hr)) return hr;
    ApplyColourKey(colourKey_, decoded_);
    return S_OK;
  }

  // Brings `work_` to the picture of `level` at the given size.
  HRESULT Prepare(UINT level, UINT width, UINT height, const D3DSURFACE_DESC& desc) {
    HRESULT hr = S_OK;
    if (level == 0) {
      if (FAILED(hr = DecodeFileLevel(0))) return hr;
      if (placement_ == Placement::TopLeft)
        PlaceTopLeft(decoded_, width, height, work_);
      else
        Scale(decoded_, width, height, placement_ == Placement::Point ? ScaleFilter::Point : ScaleFilter::Smooth,
              work_);
    } else if (FileHasLevel(level, desc)) {
      if (FAILED(hr = DecodeFileLevel(level))) return hr;
      work_ = std::move(decoded_);
    } else {
      // From the level above; when that one was copied as stored, it is
      // decoded first.
      if (workLevel_ != int(level) - 1) {
        if (FAILED(hr = DecodeFileLevel(level - 1))) return hr;
        work_ = std::move(decoded_);
      }
      Image above = std::move(work_);
      Scale(above, width, height, ScaleFilter::Smooth, work_);
    }
    workLevel_ = int(level);
    return S_OK;
  }

  HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const D3DSURFACE_DESC& desc) {
    const bool copyStored = CopiesStored(file_, level, desc, colourKey_);
    if (!copyStored) {
      if (!IsPlainFormat(desc.Format)) return D3DERR_INVALIDCALL;
      HRESULT hr = Prepare(level, desc.Width, desc.Height, desc);
      if (FAILED(hr)) return hr;
    }
    const uint64_t rowBytes = RowBytes(desc.Format, desc.Width);
    const uint32_t rows = RowCount(desc.Format, desc.Height);
    D3DLOCKED_RECT locked;
    HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    if (!locked.pBits || locked.Pitch < 0 || uint64_t(locked.Pitch) < rowBytes) {
      texture->UnlockRect(level);
      return D3DERR_INVALIDCALL;
    }
    auto* out = static_cast<uint8_t*>(locked.pBits);
    for (uint32_t y = 0; y < rows; ++y, out += locked.Pitch) {
      if (copyStored)
        std::memcpy(out, file_.dds.levels[level].data + y * rowBytes, size_t(rowBytes));
      else
        EncodeRow(desc.Format, work_.Row(y), desc.Width, out);
    }
    if (copyStored) workLevel_ = -1;
    return texture->UnlockRect(level);
  }

  const ImageFile& file_;
  Placement placement_;
  D3DCOLOR colourKey_;
  Image decoded_;
  Image work_;
  int workLevel_ = -1;  // the level `work_` holds
};

HRESULT LoadTexture(IDirect3DDevice9* device, const void* data, UINT size, UINT width, UINT height, UINT mipLevels,
                    DWORD usage, D3DFORMAT format, D3DPOOL pool, Placement placement, D3DCOLOR colourKey,
                    D3DXIMAGE_INFO* info, IDirect3DTexture9** texture) {
  ImageFile file;
  HRESULT hr = OpenImageFile(data, size, file);
  if (FAILED(hr)) return hr;

  UINT w = IsDefault(width) ? file.info.Width : width;
  UINT h = IsDefault(height) ? file.info.Height : height;
  UINT levels = IsDefault(mipLevels) ? 0 : mipLevels;
  D3DFORMAT fmt = IsDefaultFormat(format) ? NaturalFormat(file.info) : format;
  hr = D3DXCheckTextureRequirements(device, &w, &h, &levels, usage, &fmt, pool);
  if (FAILED(hr)) return hr;
  if (!CanWrite(file, fmt, w, h, levels, colourKey)) {
    D3DCAPS9 caps;
    if (FAILED(hr = device->GetDeviceCaps(&caps))) return hr;
    const D3DFORMAT decoded = LayoutOf(file.info.Format).alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (FAILED(hr = ChooseTextureFormat(device, caps, usage, decoded, &fmt))) return hr;
    if (!CanWrite(file, fmt, w, h, levels, colourKey)) return D3DERR_NOTAVAILABLE;
  }

  IDirect3DTexture9* created = nullptr;
  hr = device->CreateTexture(w, h, levels, usage, fmt, pool, &created, nullptr);
  if (FAILED(hr)) return hr;
  if (!created) return D3DERR_INVALIDCALL;
  try {
    LevelWriter writer(file, placement, colourKey);
    hr = writer.Write(created);
  } catch (...) {
    created->Release();
    throw;
  }
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  if (info) *info = file.info;
  *texture = created;
  return S_OK;
}

}  // namespace

}  // namespace tav::gpu::d3dx

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                            void* /*palette*/, IDirect3DTexture9** texture) {
  using namespace tav::gpu::d3dx;
  if (texture) *texture = nullptr;
  if (!device || !data || size == 0 || !texture) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_RENDERTARGET) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
  Placement placement, mipPlacement;
  if (!PlacementOf(filter, placement) || !PlacementOf(mipFilter, mipPlacement)) return D3DERR_INVALIDCALL;
  try {
    return LoadTexture(device, data, size, width, height, mipLevels, usage, format, pool, placement, colourKey, info,
                       texture);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
