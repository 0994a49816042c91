#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/GfxFixture.h"
#include "platform/gpu/DxDiag.h"
#include "platform/gpu/RefCounted.h"
#include "core/UserFolder.h"

namespace {

using tav::DeviceState;
using tavtest::GfxFixture;
using Calls = std::vector<std::string>;

// A restorable object that writes what happens to it into a shared journal.
class Journal : public CRestore {
 public:
  Journal(std::string name, std::vector<std::string>& events) : name_(std::move(name)), events_(events) {}
  bool Restore() override {
    events_.push_back(name_ + " restore");
    return restoreResult;
  }
  bool Release() override {
    events_.push_back(name_ + " release");
    return releaseResult;
  }
  bool restoreResult = true;
  bool releaseResult = true;

 private:
  std::string name_;
  std::vector<std::string>& events_;
};

class DeviceTest : public GfxFixture {
 protected:
  // One frame through the per-frame step, counting the scene's callbacks.
  bool Frame() {
    CBaseD3D::FrameHooks hooks;
    hooks.restorables = [this] { return std::vector<CRestore*>{&game_}; };
    hooks.afterReset = [this] {
      events_.push_back("after reset");
      return true;
    };
    hooks.update = [this] {
      ++updates_;
      return true;
    };
    hooks.draw = [this] {
      ++draws_;
      return true;
    };
    return d3d_->RunFrame(nullptr, hooks);
  }

  std::vector<std::string> events_;
  Journal game_{"game", events_};
  Journal own_{"own", events_};
  int updates_ = 0;
  int draws_ = 0;
};

TEST_F(DeviceTest, ExPathUsesThirtyBackBuffersFlipExAndAnAutomaticDepthBuffer) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(tav::ex);
  EXPECT_EQ(tav::EngineFolderName, L"Tavri");
  EXPECT_EQ(gpu_.Count("CreateDeviceEx 30 0x50"), 1u);  // hardware vertex processing on a pure device
  D3DPRESENT_PARAMETERS p = gpu_.LastParams();
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_FLIPEX);
  EXPECT_EQ(p.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
  EXPECT_EQ(p.Windowed, 1);
  EXPECT_EQ(p.BackBufferWidth, 800u);
  EXPECT_EQ(p.BackBufferHeight, 600u);
  EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D32);
  EXPECT_EQ(d3d_->clearFlags, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  EXPECT_EQ(d3d_->backBufferCount, 30u);
  EXPECT_NE(d3d_->GetTexture(L"DefaultTex"), nullptr);
  EXPECT_NE(d3d_->GetTexture(L"DefaultPeepholeTex"), nullptr);
  EXPECT_NE(d3d_->GetTexture(L"DefaultRenderTargetTex"), nullptr);
  EXPECT_NE(d3d_->surfaces.Find(L"DefaultRenderTargetSurface"), nullptr);
}

TEST_F(DeviceTest, WithoutTheExExportThePlainPathIsUsedThroughout) {
  gpu_.WithholdEx();
  ASSERT_TRUE(Start());
  EXPECT_FALSE(tav::ex);
  EXPECT_EQ(gpu_.Count("CreateDeviceEx"), 0u);
  EXPECT_EQ(gpu_.Count("CreateDevice 3 0x50"), 1u);
  D3DPRESENT_PARAMETERS p = gpu_.LastParams();
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(p.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER | D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
  EXPECT_TRUE(Frame());
  EXPECT_EQ(gpu_.Count("CheckDeviceState"), 0u);
  EXPECT_EQ(gpu_.Count("PresentEx"), 0u);
  EXPECT_EQ(gpu_.Count("Present"), 1u);
}

TEST_F(DeviceTest, FullScreenWithoutAlphaFlipCopiesWithOneBackBuffer) {
  gpu_.WithholdEx();
  gpu_.caps.Caps3 = 0;
  ASSERT_TRUE(Start(false));
  D3DPRESENT_PARAMETERS p = gpu_.LastParams();
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_COPY);
  EXPECT_EQ(p.BackBufferCount, 1u);
  EXPECT_EQ(p.Windowed, 0);
  EXPECT_EQ(p.BackBufferWidth, 1920u);  // the display's size
  EXPECT_EQ(p.FullScreen_RefreshRateInHz, 60u);
  // The ladder's first two rungs ask for three buffers, which a copy swap
  // cannot have; the last rung's single buffer succeeds.
  Calls created;
  for (const std::string& c : gpu_.Calls())
    if (c.rfind("CreateDevice", 0) == 0) created.push_back(c);
  EXPECT_EQ(created, (Calls{"CreateDevice 3 0x50", "CreateDevice 3 0x50", "CreateDevice 1 0x20"}));
  EXPECT_EQ(gpu_.Count("CreateDevice 1 0x20"), 1u);
  EXPECT_EQ(d3d_->backBufferCount, 1u);
}

TEST_F(DeviceTest, WithoutADepthFormatOnlyTheTargetIsCleared) {
  gpu_.depthFormats.clear();
  ASSERT_TRUE(Start());
  EXPECT_EQ(gpu_.LastParams().EnableAutoDepthStencil, 0);
  EXPECT_EQ(d3d_->clearFlags, D3DCLEAR_TARGET);
  EXPECT_EQ(d3d_->surfaces.Find(L"DefaultRenderTargetSurface"), nullptr);
  gpu_.ClearCalls();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(gpu_.Count("Clear 0x1 0x0"), 1u);
}

class ProviderSaying final : public tav::gpu::RefCounted<IDxDiagProvider> {
 public:
  explicit ProviderSaying(bool debug) : debug_(debug) {}
  HRESULT Initialize(DXDIAG_INIT_PARAMS*) override { return S_OK; }
  HRESULT GetRootContainer(IDxDiagContainer** root) override {
    *root = new Container(debug_);
    return S_OK;
  }

 private:
  class Container final : public tav::gpu::RefCounted<IDxDiagContainer> {
   public:
    explicit Container(bool debug) : debug_(debug) {}
    HRESULT GetChildContainer(const wchar_t*, IDxDiagContainer** child) override {
      *child = new Container(debug_);
      return S_OK;
    }
    HRESULT GetProp(const wchar_t*, VARIANT* v) override {
      v->vt = VT_BOOL;
      v->boolVal = debug_;
      return S_OK;
    }

   private:
    bool debug_;
  };
  bool debug_;
};

TEST_F(DeviceTest, DebugRuntimeKeepsTheDiscardSwapEffectOnTheExPath) {
  tav::gpu::InstallDxDiagFactory([](IDxDiagProvider** p) {
    *p = new ProviderSaying(true);
    return S_OK;
  });
  bool started = Start();
  tav::gpu::InstallDxDiagFactory(nullptr);
  ASSERT_TRUE(started);
  EXPECT_TRUE(tav::ex);
  EXPECT_EQ(gpu_.LastParams().SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_TRUE(gpu_.LastParams().Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
}

TEST_F(DeviceTest, AFailingDiagnosticsStepIsLoggedAndCountsAsNoDebugRuntime) {
  tav::gpu::InstallDxDiagFactory([](IDxDiagProvider**) { return REGDB_E_CLASSNOTREG; });
  bool started = Start();
  tav::gpu::InstallDxDiagFactory(nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(gpu_.LastParams().SwapEffect, D3DSWAPEFFECT_FLIPEX);
  EXPECT_NE(tavtest::ReadErrorLog().find("CoCreateInstance REGDB_E_CLASSNOTREG"), std::string::npos);

  // A thread whose library set-up fails answers quietly.
  tavtest::ClearErrorLog();
  tav::gpu::SetCoInitializeResult(E_FAIL);
  bool active = true;
  EXPECT_TRUE(d3d_->QueryDebugRuntime(active));
  tav::gpu::SetCoInitializeResult(S_OK);
  EXPECT_FALSE(active);
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

TEST_F(DeviceTest, CreationLadderFallsThroughEveryRung) {
  gpu_.Script("CreateDeviceEx", {D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE});
  gpu_.Script("CreateDevice", {D3DERR_NOTAVAILABLE});
  ASSERT_TRUE(Start());
  Calls created;
  for (const std::string& c : gpu_.Calls())
    if (c.rfind("CreateDevice", 0) == 0) created.push_back(c);
  EXPECT_EQ(created, (Calls{"CreateDeviceEx 30 0x50", "CreateDeviceEx 30 0x50", "CreateDeviceEx 1 0x20",
                            "CreateDevice 3 0x50", "CreateDevice 3 0x50"}));
  // The device came from a plain rung: it is driven as a plain device, with
  // presentation parameters a plain device accepts.
  EXPECT_FALSE(tav::ex);
  EXPECT_NE(gpu_.LastParams().SwapEffect, D3DSWAPEFFECT_FLIPEX);
  EXPECT_EQ(d3d_->backBufferCount, 3u);
  gpu_.ClearCalls();
  EXPECT_TRUE(Frame());
  EXPECT_EQ(gpu_.Count("PresentEx"), 0u);
  EXPECT_EQ(gpu_.Count("Present"), 1u);
}

TEST_F(DeviceTest, EveryRungFailingIsLoggedAsCreateDevice) {
  gpu_.Script("CreateDeviceEx", {E_FAIL, E_FAIL, E_FAIL});
  gpu_.Script("CreateDevice", {E_FAIL, E_FAIL, D3DERR_OUTOFVIDEOMEMORY});
  EXPECT_FALSE(Start());
  EXPECT_NE(tavtest::ReadErrorLog().find(" CreateDevice D3DERR_OUTOFVIDEOMEMORY "), std::string::npos);
}

TEST_F(DeviceTest, BehaviourFlagsFollowTheVertexProcessingCaps) {
  gpu_.caps.DevCaps = 0;
  ASSERT_TRUE(Start());
  EXPECT_EQ(gpu_.Count("CreateDeviceEx 30 0x20"), 1u);
  d3d_.reset();
  tav::direct3D.reset();
  tav::ex = false;
  gpu_.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  ASSERT_TRUE(Start());
  EXPECT_EQ(gpu_.Count("CreateDeviceEx 30 0x40"), 1u);
}

TEST_F(DeviceTest, SetUpFailuresAreLoggedByCallName) {
  gpu_.Script("GetDeviceCaps", {D3DERR_INVALIDCALL});
  EXPECT_FALSE(Start());
  EXPECT_NE(tavtest::ReadErrorLog().find("GetDeviceCaps D3DERR_INVALIDCALL"), std::string::npos);
  gpu_.Script("GetAdapterDisplayModeEx", {D3DERR_NOTAVAILABLE});
  EXPECT_FALSE(d3d_->InitDevice(nullptr, 800, 600, true));
  EXPECT_NE(tavtest::ReadErrorLog().find("GetAdapterDisplayModeEx D3DERR_NOTAVAILABLE"), std::string::npos);
}

TEST_F(DeviceTest, Direct3DCreationFallsBackAndFailsWhenNothingIsLeft) {
  gpu_.Script("Direct3DCreate9Ex", {E_NOINTERFACE});
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  EXPECT_FALSE(tav::ex);
  EXPECT_NE(tav::direct3D, nullptr);

  tav::direct3D.reset();
  gpu_.WithholdEx();
  gpu_.Script("Direct3DCreate9", {E_FAIL});
  EXPECT_FALSE(tav::CreateDirect3D(L"Tavri"));
  EXPECT_NE(tavtest::ReadErrorLog().find("Direct3DCreate9"), std::string::npos);

  // Without the resource archive the graphics library is not touched.
  std::filesystem::remove(dir_ / "Res.pac");
  gpu_.ClearCalls();
  EXPECT_FALSE(tav::CreateDirect3D(L"Tavri"));
  EXPECT_NE(tavtest::ReadErrorLog().find("Res.pac: cannot open"), std::string::npos);
}

TEST_F(DeviceTest, OccludedPresentationKeepsDrawing) {
  ASSERT_TRUE(Start());
  gpu_.Script("PresentEx", {S_PRESENT_OCCLUDED});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Ok);
  EXPECT_TRUE(Frame());
  EXPECT_EQ(draws_, 2);
}

TEST_F(DeviceTest, LostExDeviceIsReleasedResetAndRestoredInOrder) {
  ASSERT_TRUE(Start());
  d3d_->ownRestorables.push_back(&own_);
  gpu_.Script("PresentEx", {D3DERR_DEVICELOST});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Lost);

  gpu_.ClearCalls();
  gpu_.Script("CheckDeviceState", {D3DERR_DEVICELOST});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Ok);
  // The fixed states are set again after the Ex reset as well.
  EXPECT_EQ(events_, (Calls{"game release", "own release", "own restore", "game restore", "after reset"}));
  // Everything made on the device was gone before the reset, and made again after it.
  ASSERT_GE(gpu_.Calls().size(), 2u);
  EXPECT_EQ(gpu_.Calls()[0], "CheckDeviceState");
  EXPECT_EQ(gpu_.Calls()[1], "ResetEx live 0");
  // The default textures are made again when next asked for.
  EXPECT_EQ(gpu_.Count("CreateTexture"), 0u);
  EXPECT_NE(d3d_->GetTexture(L"DefaultTex"), nullptr);
  EXPECT_EQ(gpu_.Count("CreateTexture"), 1u);
  EXPECT_EQ(draws_, 2);
}

TEST_F(DeviceTest, LostPlainDeviceWaitsUntilItCanBeReset) {
  gpu_.WithholdEx();
  ASSERT_TRUE(Start());
  gpu_.Script("Present", {D3DERR_DEVICELOST});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(draws_, 1);
  gpu_.Script("TestCooperativeLevel", {D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET});
  gpu_.ClearCalls();
  EXPECT_TRUE(Frame());  // still lost: nothing is drawn, nothing reset
  EXPECT_EQ(draws_, 1);
  EXPECT_EQ(updates_, 1);
  EXPECT_EQ(gpu_.Count("BeginScene"), 0u);
  EXPECT_EQ(gpu_.Count("Reset"), 0u);
  EXPECT_TRUE(Frame());  // now it can be reset
  EXPECT_EQ(gpu_.Count("Reset live 0"), 1u);
  EXPECT_EQ(events_, (Calls{"game release", "game restore", "after reset"}));
  EXPECT_EQ(draws_, 2);
}

TEST_F(DeviceTest, ResetResultsDecideTheState) {
  gpu_.WithholdEx();
  ASSERT_TRUE(Start());
  // Lost again during the reset: no restore, try again later.
  gpu_.Script("Present", {D3DERR_DEVICELOST});
  Frame();
  gpu_.Script("TestCooperativeLevel", {D3DERR_DEVICENOTRESET});
  gpu_.Script("Reset", {D3DERR_DEVICELOST});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Lost);
  EXPECT_EQ(events_, (Calls{"game release"}));
  // A failed reset ends the game.
  gpu_.Script("TestCooperativeLevel", {D3DERR_DEVICENOTRESET});
  gpu_.Script("Reset", {D3DERR_DRIVERINTERNALERROR});
  EXPECT_FALSE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Failed);
  EXPECT_NE(tavtest::ReadErrorLog().find("Reset D3DERR_DRIVERINTERNALERROR"), std::string::npos);
  EXPECT_FALSE(Frame());  // and every later frame fails
}

TEST_F(DeviceTest, ARestorableThatCannotReleaseEndsTheFrame) {
  ASSERT_TRUE(Start());
  game_.releaseResult = false;
  gpu_.Script("CheckDeviceState", {D3DERR_DEVICEHUNG});
  EXPECT_FALSE(Frame());
  EXPECT_EQ(gpu_.Count("ResetEx"), 0u);
}

TEST_F(DeviceTest, PresentResultsAreClassified) {
  ASSERT_TRUE(Start());
  gpu_.Script("PresentEx", {E_FAIL});  // unknown: state unchanged, success
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Ok);
  gpu_.Script("PresentEx", {D3DERR_DEVICEREMOVED});
  EXPECT_FALSE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Failed);
  EXPECT_NE(tavtest::ReadErrorLog().find("PresentEx D3DERR_DEVICEREMOVED"), std::string::npos);

  d3d_.reset();
  tav::direct3D.reset();
  tav::ex = false;
  gpu_.WithholdEx();
  ASSERT_TRUE(Start());
  gpu_.Script("Present", {D3DERR_INVALIDCALL});
  EXPECT_FALSE(Frame());
  EXPECT_NE(tavtest::ReadErrorLog().find("Present D3DERR_INVALIDCALL"), std::string::npos);
}

TEST_F(DeviceTest, DeviceStateQueryEndsTheGameOnRemovalAndResetsOnModeChange) {
  ASSERT_TRUE(Start());
  gpu_.mode = {1280, 720, 75, D3DFMT_X8R8G8B8};
  gpu_.Script("CheckDeviceState", {S_PRESENT_MODE_CHANGED});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->displayMode.Width, 1280u);
  EXPECT_EQ(d3d_->displayMode.RefreshRate, 75u);
  EXPECT_EQ(gpu_.LastParams().Windowed, 1);  // the window keeps its mode
  EXPECT_EQ(gpu_.LastParams().BackBufferWidth, 800u);
  EXPECT_EQ(gpu_.Count("ResetEx live 0"), 1u);

  gpu_.Script("CheckDeviceState", {D3DERR_OUTOFVIDEOMEMORY});
  EXPECT_FALSE(Frame());
  EXPECT_NE(tavtest::ReadErrorLog().find("CheckDeviceState D3DERR_OUTOFVIDEOMEMORY"), std::string::npos);
}

TEST_F(DeviceTest, LostExDeviceIsResetEvenWhenTheStateQueryNoLongerSaysSo) {
  ASSERT_TRUE(Start());
  gpu_.Script("PresentEx", {S_PRESENT_MODE_CHANGED});
  EXPECT_TRUE(Frame());
  EXPECT_EQ(d3d_->State(), DeviceState::Lost);
  EXPECT_TRUE(Frame());  // CheckDeviceState says S_OK now
  EXPECT_EQ(d3d_->State(), DeviceState::Ok);
  EXPECT_EQ(gpu_.Count("ResetEx"), 1u);
  EXPECT_EQ(draws_, 2);
}

TEST_F(DeviceTest, RenderToTextureSwapsTargetsAndRestoresThem) {
  ASSERT_TRUE(Start());
  D3DVIEWPORT9 before;
  d3d_->Device()->GetViewport(&before);
  gpu_.ClearCalls();
  ASSERT_TRUE(d3d_->BeginRenderToTexture());
  // The first render to texture makes the target; its depth surface was made with the device.
  EXPECT_EQ(gpu_.Calls(), (Calls{"CreateTexture 1024x1024 levels 0 usage 0x401 format 21", "SetRenderTarget texture",
                                 "SetDepthStencilSurface set", "Clear 0x3 0x0", "BeginScene"}));
  gpu_.ClearCalls();
  d3d_->EndRenderToTexture();
  EXPECT_EQ(gpu_.Calls(), (Calls{"EndScene", "SetRenderTarget back buffer", "SetDepthStencilSurface set"}));
  D3DVIEWPORT9 after;
  d3d_->Device()->GetViewport(&after);
  EXPECT_EQ(after.Width, before.Width);
  EXPECT_EQ(after.Height, before.Height);
}

TEST_F(DeviceTest, RenderToTextureWithoutDepthClearsTheTargetOnly) {
  gpu_.depthFormats.clear();
  ASSERT_TRUE(Start());
  gpu_.ClearCalls();
  ASSERT_TRUE(d3d_->BeginRenderToTexture());
  EXPECT_EQ(gpu_.Calls(), (Calls{"CreateTexture 1024x1024 levels 0 usage 0x401 format 21", "SetRenderTarget texture",
                                 "SetDepthStencilSurface none", "Clear 0x1 0x0", "BeginScene"}));
}

}  // namespace
