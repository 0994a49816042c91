#pragma once
// The thread's last system error, kept apart from errno so that clean-up calls
// made after a failure (close, munmap) cannot overwrite the code worth logging.
#include <string>

namespace tav::os {

int GetLastError();
void SetLastError(int code);

// The system's own text for an error code, in the user's language.
std::wstring SystemMessage(int code);

}  // namespace tav::os
