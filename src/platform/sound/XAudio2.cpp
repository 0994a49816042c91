#include "platform/sound/XAudio2.h"

#include <atomic>

#include "platform/sound/al/AlEngine.h"

namespace tav::sound {
namespace {
std::atomic<EngineMaker> installedMaker{nullptr};
std::atomic<bool> deviceLossSimulated{false};
}  // namespace

void InstallEngineMaker(EngineMaker maker) { installedMaker = maker; }

void SimulateDeviceLoss(bool lost) { deviceLossSimulated = lost; }
bool DeviceLossSimulated() { return deviceLossSimulated; }

HRESULT XAudio2Create(IXAudio2** engine) {
  if (!engine) return E_POINTER;
  const EngineMaker maker = installedMaker.load();
  *engine = maker ? maker() : al::MakeEngine();
  return *engine ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tav::sound
