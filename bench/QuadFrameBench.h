#pragma once
// The CPU cost of a frame of 1,000 glyph quads on the Direct3D double.
namespace tavbench {
int RunQuadFrameBench(int rounds);
}
