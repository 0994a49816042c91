#include "ui/QuitDialog.h"

#include "app/GameWindow.h"
#include "platform/os/Input.h"
#include "platform/os/Messages.h"

namespace tav {
namespace {

// A quad's box after an Update at the origin.
struct Box {
  float left, top, right, bottom;
  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
};

Box BoxAtOrigin(CQuad& quad) {
  quad.translation = {0, 0};
  quad.Update();
  const QuadCorners& c = quad.corners;
  return {c[0].x, c[0].y, c[1].x, c[2].y};
}

}  // namespace

void CQuitDialog::Attach(CBaseD3D* d3d, float width, float height) {
  panel.Attach(L"Default\\close.dds", d3d);
  yes.Attach(L"Default\\yes1.dds", d3d);
  no.Attach(L"Default\\no1.dds", d3d);
  const Box p = BoxAtOrigin(panel), y = BoxAtOrigin(yes), n = BoxAtOrigin(no);
  const float x0 = (width - p.Width()) * 0.5f, y0 = (height - p.Height()) * 0.5f;
  panel.translation = {x0, y0};
  // Both buttons sit 16 pixels above the panel's bottom edge.
  yesPosition = {x0 + p.left + y.Width() * 0.5f - 16, y0 + p.bottom - y.bottom - y.top - 16};
  yes.translation = yesPosition;
  no.translation = {x0 + p.right - (p.right - n.right - n.left) * 0.5f - 16, y0 + p.bottom - n.bottom - n.top - 16};
  panel.Update();
  yes.Update();
  no.Update();
}

bool CQuitDialog::Frame(HWND window, bool& closeRequested, QuadPoint scale, float mouseX, float mouseY, bool active,
                        bool pressEdge, uint32_t now) {
  if (!placed) {
    POINT target{int((yesPosition.x + 8) * scale.x), int((yesPosition.y + 8) * scale.y)};
    os::ClientToScreen(window, &target);
    POINT cursor{};
    os::GetCursorPos(&cursor);
    glide.duration = 200;
    glide.startTime = 0;
    glide.running = true;
    glide.from = {float(cursor.x), float(cursor.y), 0, 0};
    glide.to = {float(target.x), float(target.y), 0, 0};
    placed = true;
  }
  float at[4];
  if (!glide.Evaluate(at)) {
    os::SetCursorPos(int(at[0]), int(at[1]));
  } else if (!glideDone) {
    os::SetCursorPos(int(glide.to[0]), int(glide.to[1]));
    glideDone = true;
  }

  // Laid out on the configured screen, drawn stretched onto the back buffer.
  for (CQuad* quad : {&panel, &yes, &no}) {
    quad->scale = scale;
    quad->Update();
  }
  const bool overYes = active && yes.Contains(mouseX, mouseY, scale);
  const bool overNo = active && !overYes && no.Contains(mouseX, mouseY, scale);
  if (press.Held() == -1) {
    yes.ShowImage(overYes ? L"Default\\yes2.dds" : L"Default\\yes1.dds");
    no.ShowImage(overNo ? L"Default\\no2.dds" : L"Default\\no1.dds");
    if (active && pressEdge && (overYes || overNo)) {
      (overYes ? yes : no).ShowImage(overYes ? L"Default\\yes3.dds" : L"Default\\no3.dds");
      press.Press(overYes ? kYes : kNo, now);
    }
  }
  const int32_t due = press.Due(now);
  if (due == kYes) {
    closeRequested = false;
    os::PostMessageW(window, kDestroyGameWindow, 0, 0);
    return true;
  } else if (due == kNo) {
    closeRequested = false;
    placed = glideDone = false;
    no.ShowImage(L"Default\\no1.dds");
  }
  panel.Update();
  yes.Update();
  no.Update();
  return false;
}

void CQuitDialog::Draw() {
  panel.Draw();
  yes.Draw();
  no.Draw();
}

}  // namespace tav
