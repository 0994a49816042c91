#pragma once
// The tavpack commands. Each returns the process exit code: 0 on success, 1 when
// the input is bad or the output cannot be written. Messages go to stderr.

#include <cstdint>
#include <vector>

namespace tavpack {

// With `lint`, the archive is checked as part of its game first (tavlint's
// checks, with the game's other archives found beside `archive`); findings are
// listed and nothing is written.
int Create(const char* archive, const char* folder, bool lint = false);
int List(const char* archive);
int Extract(const char* archive, const char* folder);
int Verify(const char* archive);

// The check behind create --lint: true when it finds nothing.
bool LintArchive(const std::vector<uint8_t>& bytes, const char* archivePath);

}  // namespace tavpack
