// PNG decoding for icon entries. This file holds a private copy of stb_image
// (all functions static, PNG only, no file access), so it cannot clash with
// another copy of the library elsewhere in the program.
#if defined(STB_IMAGE_IMPLEMENTATION) || defined(STBI_INCLUDE_STB_IMAGE_H)
#error "stb_image must be included in this file only once, with the settings below"
#endif
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 1024

#include <climits>
#include <cstring>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "platform/os/IcoFile.h"

static_assert(STBI_MAX_DIMENSIONS == tav::os::kMaxIconSide);

namespace tav::os {

bool DecodeIconPng(std::span<const uint8_t> bytes, IcoImage& out) {
  if (bytes.empty() || bytes.size() > size_t(INT_MAX)) return false;
  int width = 0, height = 0, channels = 0;
  // The header first, so an absurd size is refused before anything is inflated.
  if (!stbi_info_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels)) return false;
  if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide) return false;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
  if (!pixels) return false;
  out.width = width;
  out.height = height;
  out.rgba.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
  stbi_image_free(pixels);
  return true;
}

}  // namespace tav::os
