#pragma once
// Presses that came and went between two polls. A key or button pressed and
// released again before the game next reads the key state (a light tap on a
// touchpad takes about 10 ms, a frame 16 to 40) would never be seen down. The
// event pump notes every press here; the key state then reports the key down
// for the whole of the next frame, and the pump after that forgets it.
namespace tav::os::detail {

// A key or mouse button (by virtual-key code) went down.
void NotePress(int vk);
// Called by the pump before it takes new events: presses that have been read
// since they were noted are forgotten, and so are presses of keys nobody read
// in a whole frame, so that a stray press cannot act much later.
void ForgetReadPresses();
// Whether `vk` was pressed since the pump last forgot; marks the presses read.
bool PressNoted(int vk);

}  // namespace tav::os::detail
