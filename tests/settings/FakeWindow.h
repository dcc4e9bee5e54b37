#pragma once
// A window for the placement store that records what the store does to it, and the lines of a
// settings file's section.

#include <fstream>
#include <string>
#include <vector>

#include "settings/WindowPlacement.h"

namespace zel::test {

class TFakeWindow : public IPlacementWindow {
 public:
  // The main window's design bounds: left 191, top 108, width 396, height 298.
  TWindowPlacement Placement{0, SW_SHOWNORMAL, {-1, -1}, {-1, -1}, {191, 108, 587, 406}};
  bool IsVisible = false;
  bool Created = true;
  TFormBorderStyle Border = TFormBorderStyle::bsSizeable;
  TFormStyle Style = TFormStyle::fsNormal;
  TPosition Pos = TPosition::poDesigned;
  TWindowState State = TWindowState::wsNormal;
  bool MainWindow = true;
  int ScreenW = 1024, ScreenH = 768, Ppi = 96;
  bool AppMinimized = false;
  int MinimizeRequests = 0;
  std::vector<TWindowPlacement> Applied;

  std::string ClassName() const override { return "TFormMain"; }
  bool HandleAllocated() const override { return Created; }
  // The show command follows the state, as the windowing system reports it.
  TWindowPlacement GetPlacement() const override {
    TWindowPlacement p = Placement;
    p.ShowCmd = State == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
                : State == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                     : SW_SHOWNORMAL;
    return p;
  }
  void SetPlacement(const TWindowPlacement& p) override {
    Placement = p;
    Applied.push_back(p);
  }
  bool Visible() const override { return IsVisible; }
  int Width() const override { return Placement.NormalPosition.Right - Left(); }
  int Height() const override { return Placement.NormalPosition.Bottom - Top(); }
  int Left() const override { return Placement.NormalPosition.Left; }
  int Top() const override { return Placement.NormalPosition.Top; }
  TFormBorderStyle BorderStyle() const override { return Border; }
  TFormStyle FormStyle() const override { return Style; }
  TPosition Position() const override { return Pos; }
  void SetPosition(TPosition p) override { Pos = p; }
  TWindowState WindowState() const override { return State; }
  void SetWindowState(TWindowState s) override { State = s; }
  void Repaint() override {}
  bool IsMainWindow() const override { return MainWindow; }
  int ScreenWidth() const override { return ScreenW; }
  int ScreenHeight() const override { return ScreenH; }
  int PixelsPerInch() const override { return Ppi; }
  TPoint FrameSize(TFormBorderStyle style) const override {
    return style == TFormBorderStyle::bsSizeable ? TPoint{4, 4} : TPoint{3, 3};
  }
  bool ApplicationMinimized() const override { return AppMinimized; }
  void MinimizeApplication() override { ++MinimizeRequests; }
};

// The key=value lines of a file, in file order, without the line ends; section lines included.
inline std::vector<std::string> FileLines(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace zel::test
