#include "Replay.h"

#include <cerrno>
#include <fstream>
#include <limits>

#include "Shot.h"
#include "StateDump.h"
#include "app/Game.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/gpu/gl/GlDevice.h"
#include "platform/os/Files.h"
#include "platform/os/Messages.h"
#include "platform/os/WindowCalls.h"
#include "platform/sound/XAudio2.h"

namespace tav::replay {

namespace {

// The platform calls behave from now on as the fault would leave them.
void InjectFault(Fault fault, CGame& game) {
  auto* device = dynamic_cast<gpu::gl::GlDevice*>(game.device.Device());
  switch (fault) {
    case Fault::Writes:
      os::SimulateWriteFailure(ENOSPC);
      break;
    case Fault::Sound:
      sound::SimulateDeviceLoss(true);
      break;
    case Fault::Present:
      if (device) device->SimulateDeviceLostAtPresent();
      break;
    case Fault::Reset:
    case Fault::Resets:
      if (device) device->SimulateFailingResets(fault == Fault::Reset ? 1 : std::numeric_limits<int>::max());
      break;
  }
}

void GiveInput(const Command& command, CGame& game, fake::ScriptedInput& input) {
  switch (command.action) {
    case Action::Fail:
      InjectFault(Fault(command.x), game);
      break;
    case Action::Move:
      input.MoveCursor(command.x, command.y);
      break;
    case Action::Down:
      input.Press(command.x);
      break;
    case Action::Up:
      input.Release(command.x);
      break;
    case Action::Wheel: {
      // Posted directly so that rotations finer than a notch arrive as written.
      POINT cursor = input.Cursor();
      os::ClientToScreen(game.window, &cursor);
      os::PostMessageW(game.window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(SHORT(command.x))),
                       MAKELPARAM(WORD(cursor.x), WORD(cursor.y)));
      break;
    }
    case Action::Activate:
      input.Activate();
      break;
    case Action::Deactivate:
      input.Deactivate();
      break;
    case Action::Close:
      input.Close();
      break;
    default:
      break;
  }
}

bool WriteDump(const CGame& game, const std::filesystem::path& file, std::string& problem) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << DumpState(game);
  out.close();
  if (!out) problem = "cannot write the file";
  return bool(out);
}

// The commands that act after their frame rather than before it.
bool IsOutput(Action action) {
  return action == Action::Shot || action == Action::Dump || action == Action::End;
}

// Pumps the queue as the game's loop does; false once WM_QUIT came.
bool PumpMessages(CGame& game) {
  while (os::PeekMessageW(&game.message, nullptr, 0, 0, PM_REMOVE)) {
    if (game.message.message == WM_QUIT) {
      os::UnregisterClassW(game.className.c_str(), nullptr);
      return false;
    }
    os::DispatchMessageW(&game.message);
  }
  return true;
}

}  // namespace

RunResult RunScript(CGame& game, fake::FakeClock& clock, fake::ScriptedInput& input,
                    const std::vector<Command>& commands) {
  RunResult result;
  size_t nextInput = 0, nextOutput = 0;
  for (uint64_t now = kStartTime;; now += kFrameTime) {
    // A frame that slept on this thread moved the clock on; it never goes back.
    const DWORD moved = clock.Now() - DWORD(now - kFrameTime);
    if (result.frames > 0 && moved > kFrameTime && moved < 0x80000000u) now += moved - kFrameTime;
    clock.Set(DWORD(now));
    for (; nextInput < commands.size() && commands[nextInput].time <= now; ++nextInput)
      if (!IsOutput(commands[nextInput].action)) GiveInput(commands[nextInput], game, input);
    if (!PumpMessages(game)) {
      result.end = RunEnd::WindowDestroyed;
      return result;
    }
    if (!(game.frame ? game.frame() : game.Frame())) os::DestroyWindow(game.window);
    ++result.frames;

    for (; nextOutput < commands.size() && commands[nextOutput].time <= now; ++nextOutput) {
      const Command& command = commands[nextOutput];
      std::string problem;
      bool written = true;
      if (command.action == Action::Shot)
        written = SaveBackBuffer(game.device, command.file, problem);
      else if (command.action == Action::Dump)
        written = WriteDump(game, command.file, problem);
      else if (command.action == Action::End)
        return result;
      if (!written) {
        result.end = RunEnd::OutputFailed;
        result.problem = std::to_string(command.line) + ": " + command.file.string() + ": " + problem;
        return result;
      }
    }
    if (nextOutput == commands.size()) return result;
  }
}

}  // namespace tav::replay
