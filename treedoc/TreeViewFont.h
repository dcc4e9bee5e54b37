#pragma once
// The tree's font as plain data; the display applies it. Field names follow the stored keys.

#include <string>

namespace zel {

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

struct TFontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool operator==(const TFontStyles&) const = default;
};

struct TTreeFont {
  static constexpr int kDefaultPixelsPerInch = 96;

  int Charset = 1;        // the system's default character set
  int Color = -16777208;  // the system's window text colour
  int Height = -11;       // negative: character height in pixels
  std::string Name = "Tahoma";
  TFontPitch Pitch = TFontPitch::fpDefault;
  int Size = 8;  // points
  TFontStyles Style;

  // Size and height describe the same thing; setting one recomputes the other.
  void SetSize(int points, int pixelsPerInch = kDefaultPixelsPerInch);
  void SetHeight(int height, int pixelsPerInch = kDefaultPixelsPerInch);

  bool operator==(const TTreeFont&) const = default;
};

}  // namespace zel
