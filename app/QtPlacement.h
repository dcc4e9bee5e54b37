#pragma once
// A Qt top-level window as the placement store sees it. The normal rectangle is the window's
// normal geometry with its frame, the show command follows the window state, and the screen
// facts come from the window's screen. Minimized and maximized positions mean nothing to the
// windowing systems here: they are kept as the store last set them and given back unchanged.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <optional>

#include "settings/WindowPlacement.h"

namespace zel {

class TQtPlacementWindow : public QObject, public IPlacementWindow {
 public:
  explicit TQtPlacementWindow(QWidget* window, bool isMainWindow = true,
                              TPosition position = TPosition::poDesigned);

  std::string ClassName() const override;
  bool HandleAllocated() const override;
  TWindowPlacement GetPlacement() const override;
  void SetPlacement(const TWindowPlacement& placement) override;
  bool Visible() const override;
  int Width() const override;
  int Height() const override;
  int Left() const override;
  int Top() const override;
  TFormBorderStyle BorderStyle() const override;
  TFormStyle FormStyle() const override;
  TPosition Position() const override { return FPosition; }
  void SetPosition(TPosition position) override { FPosition = position; }
  TWindowState WindowState() const override;
  void SetWindowState(TWindowState state) override;
  void Repaint() override;
  bool IsMainWindow() const override { return FIsMainWindow; }
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  int PixelsPerInch() const override;
  TPoint FrameSize(TFormBorderStyle style) const override;
  bool ApplicationMinimized() const override;
  void MinimizeApplication() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMargins FrameMargins() const;
  void ApplyNormalRect(const QRect& withFrame);

  QPointer<QWidget> FWindow;
  bool FIsMainWindow;
  TPosition FPosition;
  uint32_t FFlags = 0;
  TPoint FMinPosition;
  TPoint FMaxPosition;
  // Normal bounds set before the window had a frame: its client size still includes the frame
  // and is corrected once the frame is known and the window is in its normal state; until then
  // they are the normal bounds.
  std::optional<QRect> FPendingNormal;
};

}  // namespace zel
