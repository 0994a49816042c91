// tavpack: writes and reads the pac archives the engine loads.
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "platform/os/Locale.h"

namespace {
int Usage() {
  std::fputs(
      "usage: tavpack create [--lint] OUT.pac DIR\n"
      "                                     pack every file under DIR, named DIR\\...; with --lint\n"
      "                                     check it with the game's other archives beside OUT.pac\n"
      "       tavpack list A.pac            print each entry's size, packed size and name\n"
      "       tavpack extract A.pac DIR     write every entry under DIR\n"
      "       tavpack verify A.pac          load A.pac as the engine does and report problems\n",
      stderr);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  tav::os::SetUserLocale();
  if (argc < 2) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "create") == 0 && argc == 4) return tavpack::Create(argv[2], argv[3]);
  if (std::strcmp(command, "create") == 0 && argc == 5 && std::strcmp(argv[2], "--lint") == 0)
    return tavpack::Create(argv[3], argv[4], true);
  if (std::strcmp(command, "list") == 0 && argc == 3) return tavpack::List(argv[2]);
  if (std::strcmp(command, "extract") == 0 && argc == 4) return tavpack::Extract(argv[2], argv[3]);
  if (std::strcmp(command, "verify") == 0 && argc == 3) return tavpack::Verify(argv[2]);
  return Usage();
}
