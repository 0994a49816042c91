#pragma once

namespace tav {

// The fixed states every quad relies on: clockwise triangles culled, alpha
// blending, no depth, linear filtering, texture times diffuse colour. Set once
// after the device is made and, on the plain device, after every reset.
void ApplyDefaultRenderStates();

}  // namespace tav
