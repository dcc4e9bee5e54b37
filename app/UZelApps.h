#pragma once
// Application routines for start and stop: the title, the settings file and keeping the main
// window on the screen.

#include <QRect>
#include <QSize>
#include <string>

class QWidget;

namespace zel {

// The application title, taken from the main window's caption.
extern std::string AppTitle;
// Full path of the settings file "ZelApps.ini".
extern std::string SettingsFileName;

// Computes SettingsFileName from "windir" (the Windows directory; when unset, the platform's
// stand-in for it), before any window exists.
void InitializeZelApps();
// Clears both globals.
void FinalizeZelApps();

// The text before its last space, or the whole text when it has none.
std::string RemoveLastWord(const std::string& text);

// The rules that move and then shrink a window to lie on a screen of the given size.
QRect KeepRectOnScreen(QRect bounds, QSize screen);
// Applies them to the window on its screen.
void KeepFormOnScreen(QWidget& form);

}  // namespace zel
