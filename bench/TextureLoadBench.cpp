// Image loading: decoding alone against decoding plus texture creation and
// upload on the OpenGL device, for 100 mixed images (PNG, uncompressed DDS and
// DXT1 DDS, 512 x 512), in interleaved rounds. Prints medians and the ratio.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "BenchSupport.h"
#include "platform/gpu/D3D9.h"
#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/Image.h"
#include "platform/gpu/d3dx/ImageFile.h"
#include "platform/os/Window.h"

namespace {

constexpr uint32_t kSize = 512;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Dds(bool dxt1, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
  Put32(out, 124);
  Put32(out, 0x1007 | (dxt1 ? 0x80000 : 0x8));  // caps, size, pixel format, pitch or linear size
  Put32(out, kSize);
  Put32(out, kSize);
  Put32(out, dxt1 ? kSize * kSize / 2 : kSize * 4);
  Put32(out, 0);
  Put32(out, 0);
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  Put32(out, 32);
  if (dxt1) {
    Put32(out, 0x4);
    Put32(out, MakeFourCC('D', 'X', 'T', '1'));
    for (int i = 0; i < 5; ++i) Put32(out, 0);
  } else {
    for (uint32_t v : {0x41u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) Put32(out, v);
  }
  Put32(out, 0x1000);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// Smooth colours with soft edges and grain, like a painted background.
std::vector<uint8_t> Picture(std::mt19937& rng) {
  std::vector<uint8_t> rgba(kSize * kSize * 4);
  int cx = rng() % kSize, cy = rng() % kSize;
  for (uint32_t y = 0; y < kSize; ++y)
    for (uint32_t x = 0; x < kSize; ++x) {
      uint8_t* p = &rgba[(y * kSize + x) * 4];
      int d = std::abs(int(x) - cx) + std::abs(int(y) - cy);
      p[0] = uint8_t(x / 2 + rng() % 3);
      p[1] = uint8_t(y / 2 + rng() % 3);
      p[2] = uint8_t(255 - std::min(d, 255));
      p[3] = d < 200 ? 255 : 128;
    }
  return rgba;
}

void ToPng(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);

  std::mt19937 rng(5);
  std::vector<std::vector<uint8_t>> files;
  for (int i = 0; i < 100; ++i) {
    std::vector<uint8_t> rgba = Picture(rng);
    if (i % 3 == 0) {
      std::vector<uint8_t> png;
      stbi_write_png_to_func(ToPng, &png, kSize, kSize, 4, rgba.data(), kSize * 4);
      files.push_back(std::move(png));
    } else if (i % 3 == 1) {
      std::vector<uint8_t> bgra(rgba.size());
      for (size_t p = 0; p < rgba.size(); p += 4) {
        bgra[p] = rgba[p + 2];
        bgra[p + 1] = rgba[p + 1];
        bgra[p + 2] = rgba[p];
        bgra[p + 3] = rgba[p + 3];
      }
      files.push_back(Dds(false, bgra));
    } else {
      std::vector<uint8_t> blocks(kSize * kSize / 2);
      for (uint8_t& b : blocks) b = uint8_t(rng());
      files.push_back(Dds(true, blocks));
    }
  }

  const tav::gpu::D3D9Module* module = tav::gpu::LoadD3D9();
  if (!module) {
    std::fprintf(stderr, "no OpenGL 4.1 device\n");
    return 1;
  }
  IDirect3D9Ex* object = nullptr;
  if (FAILED(module->Direct3DCreate9Ex(D3D_SDK_VERSION, &object))) return 1;
  tav::os::Window* window = tav::os::Window::Create(L"bench", 64, 64, false);
  D3DPRESENT_PARAMETERS params = tavbench::WindowedPresent(window, 64, 64);
  IDirect3DDevice9Ex* device = nullptr;
  if (!window || FAILED(object->CreateDeviceEx(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                               &params, nullptr, &device))) {
    std::fprintf(stderr, "no device\n");
    return 1;
  }

  std::vector<double> decode, load;
  for (int r = 0; r < rounds; ++r) {
    decode.push_back(tavbench::Time([&] {
      for (const auto& f : files) {
        tav::gpu::d3dx::ImageFile file;
        tav::gpu::d3dx::Image image;
        if (FAILED(tav::gpu::d3dx::OpenImageFile(f.data(), f.size(), file)) ||
            FAILED(tav::gpu::d3dx::DecodeImageLevel(file, 0, image)))
          std::abort();
      }
    }));
    load.push_back(tavbench::Time([&] {
      for (const auto& f : files) {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(D3DXCreateTextureFromFileInMemoryEx(device, f.data(), UINT(f.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                       D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                                                       D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &texture)))
          std::abort();
        texture->Release();
      }
    }));
  }
  double d = tavbench::Median(decode), l = tavbench::Median(load);
  std::printf("100 images (34 PNG, 33 DDS A8R8G8B8, 33 DDS DXT1), 512 x 512, full mip chains\n");
  std::printf("decode only          %7.3f s\n", d);
  std::printf("load and upload      %7.3f s\n", l);
  std::printf("load+upload / decode %7.2fx\n", l / d);
  device->Release();
  object->Release();
  delete window;
  return 0;
}
