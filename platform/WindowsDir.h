#pragma once
// The folder that stands in for the Windows directory: the "windir" variable when it is set,
// else the user's configuration folder, where a user can always keep a settings file.

#include <string>

namespace zel {

// "windir" when set and not empty; else $XDG_CONFIG_HOME (when absolute) or $HOME/.config,
// created when missing. No trailing delimiter.
std::string GetWindowsDirectory();

}  // namespace zel
