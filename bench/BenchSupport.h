#pragma once
// Small helpers for the benchmark executables: wall-clock timing and medians.
// Benchmarks interleave their variants round by round so that a slow moment of
// the machine hurts every variant alike, then compare medians.
#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/gpu/D3D9.h"

namespace tavbench {

// A windowed device of the given size that presents at once.
inline D3DPRESENT_PARAMETERS WindowedPresent(HWND window, UINT width, UINT height) {
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window;
  params.Windowed = 1;
  params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return params;
}

inline double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename F>
double Time(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return Seconds(start);
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace tavbench
