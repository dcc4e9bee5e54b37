#pragma once
// A Qt top-level window as the placement store sees it. The normal rectangle is the window's
// normal geometry with its frame, the show command follows the window state, and the screen
// facts come from the window's screen. Minimized and maximized positions mean nothing to the
// windowing systems here: they are kept as the store last set them and given back unchanged.
//
// A window manager frames a window only after it is shown, at its own pace, and reports frame
// sizes that are far off while it does. So a normal rectangle set is held as the wanted one and
// applied again, with the last believable frame, whenever the manager moves the window, until
// the window has stood there for a while or a few seconds have passed.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
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
  // The window's rectangle with its frame, or the wanted one while it is held.
  QRect FrameRect() const;
  void ApplyNormalRect(const QRect& withFrame);
  // Puts the window where the held rectangle wants it; `settling` counts a check that found
  // it there, and enough of them end the hold.
  void Enforce(bool settling);

  QPointer<QWidget> FWindow;
  bool FIsMainWindow;
  TPosition FPosition;
  uint32_t FFlags = 0;
  TPoint FMinPosition;
  TPoint FMaxPosition;
  // The normal rectangle (with the frame) being held, and since when.
  std::optional<QRect> FPendingNormal;
  QElapsedTimer FPendingSince;
  QTimer FPendingCheck;
  int FSettledChecks = 0;
  bool FEnforcing = false;
  mutable QMargins FLastFrame;
};

}  // namespace zel
