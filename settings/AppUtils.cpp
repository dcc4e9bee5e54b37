#include "settings/AppUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "base/StrUtils.h"
#include "settings/IniFile.h"

namespace zel {

namespace {

const char* const kMinMaxPos = "MinMaxPos";
const char* const kNormPos = "NormPos";

// The key for the current screen size, else the plain key.
std::string ReadPosValue(IPlacementWindow& window, TIniFile& ini, const std::string& section,
                         const std::string& key) {
  std::string value = ini.ReadString(
      section, key + ScreenSizeSuffix(window.ScreenWidth(), window.ScreenHeight()), "");
  if (value.empty()) value = ini.ReadString(section, key, "");
  return value;
}

void WritePosValue(IPlacementWindow& window, TIniFile& ini, const std::string& section,
                   const std::string& key, const std::string& value) {
  const std::string stored = QuoteProtected(value);
  ini.WriteString(section, key + ScreenSizeSuffix(window.ScreenWidth(), window.ScreenHeight()),
                  stored);
  ini.WriteString(section, key, stored);
}

// Stored positions are anything a file holds: sums must not overflow.
int SaturatedAdd(int a, int b) {
  return static_cast<int>(std::clamp<long long>(0LL + a + b, INT32_MIN, INT32_MAX));
}

std::string PosText(int a, int b, int c, int d) {
  return Format("%d,%d,%d,%d", a, b, c, d);
}

TWindowState StateOfShowCmd(int showCmd, TWindowState defaultState) {
  switch (showCmd) {
    case 1:
    case 5:
    case 9:
      return TWindowState::wsNormal;
    case 2:
    case 6:
    case 7:
      return TWindowState::wsMinimized;
    case 3:
      return TWindowState::wsMaximized;
    default:
      return defaultState;
  }
}

}  // namespace

std::string ScreenSizeSuffix(int width, int height) {
  return Format("(%dx%d)", width, height);
}

std::array<int, 4> ReadPosWords(std::string_view value, const std::array<int, 4>& defaults) {
  std::array<int, 4> words = defaults;
  const auto isSeparator = [](char c) { return c == ' ' || c == ','; };
  size_t pos = 0;
  for (int& word : words) {
    while (pos < value.size() && isSeparator(value[pos])) ++pos;
    const size_t start = pos;
    while (pos < value.size() && !isSeparator(value[pos])) ++pos;
    if (pos == start) break;
    TryStrToInt(std::string(value.substr(start, pos - start)), word);
  }
  return words;
}

std::string QuoteProtected(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return "\"" + value + "\"";
  return value;
}

void WriteFormPlacement(IPlacementWindow& window, TIniFile& ini, const std::string& section) {
  TWindowPlacement placement = window.GetPlacement();
  if (window.IsMainWindow() && window.ApplicationMinimized()) placement.ShowCmd = SW_SHOWMINIMIZED;
  if (window.FormStyle() == TFormStyle::fsMDIChild &&
      window.WindowState() == TWindowState::wsMinimized)
    placement.Flags |= WPF_SETMINPOSITION;
  ini.WriteInteger(section, "Flags", static_cast<int>(placement.Flags));
  ini.WriteInteger(section, "ShowCmd", placement.ShowCmd);
  ini.WriteInteger(section, "PixelsPerInch", window.PixelsPerInch());
  WritePosValue(window, ini, section, kMinMaxPos,
                PosText(placement.MinPosition.X, placement.MinPosition.Y, placement.MaxPosition.X,
                        placement.MaxPosition.Y));
  const TRect& r = placement.NormalPosition;
  WritePosValue(window, ini, section, kNormPos, PosText(r.Left, r.Top, r.Right, r.Bottom));
}

void ReadFormPlacement(IPlacementWindow& window, TIniFile& ini, const std::string& section,
                       bool loadState, bool loadPosition) {
  if (!loadState && !loadPosition) return;
  TWindowPlacement placement = window.GetPlacement();
  // The store restores from the show handler: applying the record must not show the window.
  if (!window.Visible()) placement.ShowCmd = SW_HIDE;
  if (loadPosition) {
    bool found = false;
    placement.Flags =
        static_cast<uint32_t>(ini.ReadInteger(section, "Flags", static_cast<int>(placement.Flags)));
    std::string value = ReadPosValue(window, ini, section, kMinMaxPos);
    if (!value.empty()) {
      const std::array<int, 4> w = ReadPosWords(value, {0, 0, 0, 0});
      placement.MinPosition = {w[0], w[1]};
      placement.MaxPosition = {w[2], w[3]};
      found = true;
    }
    value = ReadPosValue(window, ini, section, kNormPos);
    if (!value.empty()) {
      const int left = window.Left(), top = window.Top();
      const std::array<int, 4> w =
          ReadPosWords(value, {left, top, left + window.Width(), top + window.Height()});
      placement.NormalPosition = {w[0], w[1], w[2], w[3]};
      found = true;
    }
    // Positions saved at another text resolution would not fit this one.
    const int ppi = window.PixelsPerInch();
    if (ini.ReadInteger(section, "PixelsPerInch", ppi) != ppi) found = false;
    if (found) {
      TRect& r = placement.NormalPosition;
      const TFormBorderStyle border = window.BorderStyle();
      if (border != TFormBorderStyle::bsSizeable && border != TFormBorderStyle::bsSizeToolWin) {
        r.Right = SaturatedAdd(r.Left, window.Width());
        r.Bottom = SaturatedAdd(r.Top, window.Height());
      }
      if (r.Right > r.Left) {
        const TPosition position = window.Position();
        if (position == TPosition::poScreenCenter || position == TPosition::poDesktopCenter)
          window.SetPosition(TPosition::poDesigned);
        window.SetPlacement(placement);
      }
    }
  }
  if (loadState) {
    const TFormStyle style = window.FormStyle();
    const bool maximizeByDefault =
        window.IsMainWindow() &&
        (style == TFormStyle::fsMDIForm ||
         (style == TFormStyle::fsNormal && window.Position() == TPosition::poDefault));
    const TWindowState state =
        StateOfShowCmd(ini.ReadInteger(section, "ShowCmd", 0),
                       maximizeByDefault ? TWindowState::wsMaximized : TWindowState::wsNormal);
    if (state == TWindowState::wsMinimized && window.IsMainWindow()) {
      // The whole application goes to the task bar, not the window alone.
      window.SetWindowState(TWindowState::wsNormal);
      window.MinimizeApplication();
      return;
    }
    window.SetWindowState(state);
  }
  window.Repaint();
}

std::string DefaultIniName() {
  std::string name = ExtractFileName(program_invocation_short_name);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + ".INI";
}

}  // namespace zel
