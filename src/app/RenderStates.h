#pragma once

class IDirect3DDevice9;

namespace tav {

// The fixed states every quad relies on: clockwise triangles culled, alpha
// blending, no depth, linear filtering, texture times diffuse colour. Set once
// after the device is made and, on the plain device, after every reset.
// A null device does nothing.
void ApplyDefaultRenderStates(IDirect3DDevice9* device);

}  // namespace tav
