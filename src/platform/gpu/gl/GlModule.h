#pragma once
// The OpenGL backend of the Direct3D 9 substitute.
#include "platform/gpu/D3D9.h"

namespace tav::gpu::gl {

// The module LoadD3D9 hands out: both entry points (the Ex one included), or
// null when no OpenGL 4.1 core context can be made on this machine.
const D3D9Module* GlD3D9Module();

// Whether the context the backend probed is a debug context.
bool DebugContextActive();

}  // namespace tav::gpu::gl
