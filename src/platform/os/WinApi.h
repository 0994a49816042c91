#pragma once
// Every window, message, input, clock, shell and icon call of the platform
// layer, for code that uses many of them (the application's window and loop).
#include "platform/os/Clock.h"
#include "platform/os/Icons.h"
#include "platform/os/Input.h"
#include "platform/os/LastError.h"
#include "platform/os/Messages.h"
#include "platform/os/Shell.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/WinTypes.h"
#include "platform/os/WindowCalls.h"
