#pragma once
// Message-box flags and answers in the platform's numbering: the editor asks its questions with
// them, and the window's dialogs show and answer them.

namespace zel {

enum : unsigned {
  MB_OK = 0x0,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

}  // namespace zel
