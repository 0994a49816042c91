// "Icon.ico" as the window icon is made from it: the best entry for the
// sizes the icon is asked for, resampled when it has another size.
#include <cstdint>
#include <span>

#include "platform/os/IcoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int side : {16, 32, 0}) {
    tav::os::IcoImage image;
    if (!tav::os::DecodeIco(std::span<const uint8_t>(data, size), side, side, image)) continue;
    if (side != 0 && (image.width != side || image.height != side)) tav::os::ResizeIcoImage(image, side, side);
  }
  return 0;
}
