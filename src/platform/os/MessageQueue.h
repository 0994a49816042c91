#pragma once
// What the window calls need from the message queue.
#include "platform/os/WinTypes.h"

namespace tav::os::detail {

// Removes the queued messages of a destroyed window.
void DropMessagesFor(HWND window);

}  // namespace tav::os::detail
