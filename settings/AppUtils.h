#pragma once
// Turning a window placement into settings keys and back. One placement is kept per screen
// resolution ("NormPos(1024x768)") beside the last one saved at any resolution ("NormPos").

#include <array>
#include <string>
#include <string_view>

#include "settings/WindowPlacement.h"

namespace zel {

class TIniFile;

// "(%dx%d)" of the screen's width and height.
std::string ScreenSizeSuffix(int width, int height);

// The first four words of a position value, split at runs of spaces and commas; a missing or
// non-numeric word takes its default.
std::array<int, 4> ReadPosWords(std::string_view value, const std::array<int, 4>& defaults);

// A value that begins and ends with the same quote gets one more pair of double quotes, because
// reading strips one pair.
std::string QuoteProtected(std::string value);

void WriteFormPlacement(IPlacementWindow& window, TIniFile& ini, const std::string& section);
void ReadFormPlacement(IPlacementWindow& window, TIniFile& ini, const std::string& section,
                       bool loadState, bool loadPosition);

// The program's file name with the extension ".INI", without a folder.
std::string DefaultIniName();

}  // namespace zel
