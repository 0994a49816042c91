#include "FakeDevice.h"

#include <cstdio>
#include <string>
#include <vector>

#include "res/PacFormat.h"
#include "res/Stores.h"

namespace tavbench {

FakeDevice::FakeDevice(UINT width, UINT height) {
  saved_ = std::filesystem::current_path();
  dir_ = std::filesystem::temp_directory_path() / ("tavri-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir_);
  std::vector<uint8_t> archive;
  std::wstring problem;
  tav::pac::BuildArchive({}, 9, archive, problem);
  if (std::FILE* f = std::fopen((dir_ / "Res.pac").c_str(), "wb")) {
    std::fwrite(archive.data(), 1, archive.size(), f);
    std::fclose(f);
  }
  std::filesystem::current_path(dir_);
  gpu_ = std::make_unique<tav::fake::FakeGpu>();
  d3d_ = std::make_unique<CBaseD3D>();
  ok_ = tav::CreateDirect3D(L"Tavri") && d3d_->InitDevice(nullptr, width, height, true);
  // The call record would cost more than what is measured.
  gpu_->SetRecording(false);
}

FakeDevice::~FakeDevice() {
  d3d_.reset();
  gpu_.reset();
  tav::direct3D.reset();
  tav::ResStore() = tav::ArchiveStore();
  std::filesystem::current_path(saved_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

}  // namespace tavbench
