#pragma once
// Runs the device wrapper against the Direct3D double, in a temporary working
// folder that holds an empty resource archive.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gfx/BaseD3D.h"
#include "platform/fake/FakeD3D9.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace tavtest {

class GfxFixture : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    WriteFileBytes(dir_ / "Res.pac", BuildArchive({}));
    std::filesystem::current_path(dir_.Path());
    tav::direct3D.reset();
    tav::ex = false;
    ClearErrorLog();
  }
  void TearDown() override {
    d3d_.reset();
    tav::direct3D.reset();
    tav::ex = false;
    std::filesystem::current_path(saved_);
  }

  // CreateDirect3D and InitDevice on a windowed 800 x 600 device.
  bool Start(bool windowed = true, UINT width = 800, UINT height = 600) {
    if (!tav::CreateDirect3D(L"Tavri")) return false;
    d3d_ = std::make_unique<CBaseD3D>();
    return d3d_->InitDevice(nullptr, width, height, windowed);
  }

  TempDir dir_;
  std::filesystem::path saved_;
  tav::fake::FakeGpu gpu_;
  std::unique_ptr<CBaseD3D> d3d_;
};

}  // namespace tavtest
