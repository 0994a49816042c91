#pragma once
// The tavpack commands. Each returns the process exit code: 0 on success, 1 when
// the input is bad or the output cannot be written. Messages go to stderr.

namespace tavpack {

int Create(const char* archive, const char* folder);
int List(const char* archive);
int Extract(const char* archive, const char* folder);
int Verify(const char* archive);

}  // namespace tavpack
