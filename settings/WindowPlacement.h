#pragma once
// The window as the placement store sees it: the windowing system's placement record and the
// few facts about the window, its screen and its application that saving and restoring need.

#include <cstdint>
#include <string>

namespace zel {

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TRect&) const = default;
};

// Show-command codes of the placement record.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
// Placement flag set for a minimized child window that restores to maximized.
constexpr uint32_t WPF_SETMINPOSITION = 1;

struct TWindowPlacement {
  uint32_t Flags = 0;
  int ShowCmd = SW_HIDE;
  TPoint MinPosition;
  TPoint MaxPosition;
  TRect NormalPosition;  // the window in its normal state, frame included
  bool operator==(const TWindowPlacement&) const = default;
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// Where the toolkit puts the window when it is first shown.
enum class TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

class IPlacementWindow {
 public:
  virtual std::string ClassName() const = 0;
  // False while the window does not exist on the screen yet.
  virtual bool HandleAllocated() const = 0;
  virtual TWindowPlacement GetPlacement() const = 0;
  virtual void SetPlacement(const TWindowPlacement& placement) = 0;
  virtual bool Visible() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual TFormBorderStyle BorderStyle() const = 0;
  virtual TFormStyle FormStyle() const = 0;
  virtual TPosition Position() const = 0;
  virtual void SetPosition(TPosition position) = 0;
  virtual TWindowState WindowState() const = 0;
  virtual void SetWindowState(TWindowState state) = 0;
  virtual void Repaint() = 0;
  // The application's main window, or no main window exists yet.
  virtual bool IsMainWindow() const = 0;
  // The window's screen in pixels, and its pixels per inch.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int PixelsPerInch() const = 0;
  // Width and height of the frame that the border style draws.
  virtual TPoint FrameSize(TFormBorderStyle style) const = 0;
  // The whole application is minimized / asked, later, to minimize itself.
  virtual bool ApplicationMinimized() const = 0;
  virtual void MinimizeApplication() = 0;

 protected:
  ~IPlacementWindow() = default;
};

}  // namespace zel
