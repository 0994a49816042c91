// demogen: paints the demo game's pictures and makes its sounds in a staging folder, from which
// the build packs the resource archive.
//   demogen RES_DIR ICON_FILE
#include <cstdio>
#include <exception>

#include "Art.h"
#include "platform/os/Locale.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: demogen RES_DIR ICON_FILE\n", stderr);
    return 2;
  }
  tav::os::SetUserLocale();
  try {
    demogen::Output out(argv[1]);
    demogen::WriteSkins(out);
    demogen::WriteInterface(out);
    demogen::WriteBackgrounds(out);
    demogen::WriteCharacters(out);
    demogen::WriteSounds(out, std::filesystem::path(argv[2]).parent_path());
    demogen::WriteIcon(argv[2]);
    std::printf("demogen: %zu pictures and sounds in %s, icon %s\n", out.Count(), argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "demogen: %s\n", e.what());
    return 1;
  }
  return 0;
}
