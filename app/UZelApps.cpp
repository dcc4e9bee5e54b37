#include "app/UZelApps.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

#include "platform/WindowsDir.h"

namespace zel {

std::string AppTitle;
std::string SettingsFileName;

void InitializeZelApps() {
  const char* windir = std::getenv("windir");
  std::string dir = windir != nullptr && *windir != '\0' ? windir : GetWindowsDirectory();
  if (dir.empty() || dir.back() != '/') dir += '/';
  SettingsFileName = dir + "ZelApps.ini";
}

void FinalizeZelApps() {
  AppTitle.clear();
  SettingsFileName.clear();
}

std::string RemoveLastWord(const std::string& text) {
  const size_t space = text.rfind(' ');
  return space == std::string::npos ? text : text.substr(0, space);
}

QRect KeepRectOnScreen(QRect r, QSize screen) {
  const int w = screen.width(), h = screen.height();
  if (r.left() + r.width() > w) r.moveLeft(w - r.width());
  if (r.top() + r.height() > h) r.moveTop(h - r.height());
  if (r.left() < 0) r.moveLeft(0);
  if (r.top() < 0) r.moveTop(0);
  if (r.width() > w) r.setWidth(w);
  if (r.height() > h) r.setHeight(h);
  return r;
}

void KeepFormOnScreen(QWidget& form) {
  const QScreen* screen =
      form.screen() != nullptr ? form.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect frame = form.frameGeometry();
  const QRect kept = KeepRectOnScreen(frame, screen->size());
  if (kept == frame) return;
  // The frame is what must fit; the window's own size is the frame less its borders.
  form.move(kept.topLeft());
  form.resize(form.width() - (frame.width() - kept.width()),
              form.height() - (frame.height() - kept.height()));
}

}  // namespace zel
