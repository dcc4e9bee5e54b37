#include "app/QtPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace zel {

namespace {

TRect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect FromRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

}  // namespace

TQtPlacementWindow::TQtPlacementWindow(QWidget* window, bool isMainWindow, TPosition position)
    : QObject(window), FWindow(window), FIsMainWindow(isMainWindow), FPosition(position) {
  window->installEventFilter(this);
}

std::string TQtPlacementWindow::ClassName() const {
  return FWindow->metaObject()->className();
}

bool TQtPlacementWindow::HandleAllocated() const {
  return FWindow->testAttribute(Qt::WA_WState_Created);
}

QMargins TQtPlacementWindow::FrameMargins() const {
  const QRect frame = FWindow->frameGeometry(), client = FWindow->geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                  frame.right() - client.right(), frame.bottom() - client.bottom());
}

TWindowPlacement TQtPlacementWindow::GetPlacement() const {
  TWindowPlacement p;
  p.Flags = FFlags;
  p.MinPosition = FMinPosition;
  p.MaxPosition = FMaxPosition;
  const Qt::WindowStates state = FWindow->windowState();
  p.ShowCmd = state & Qt::WindowMinimized   ? SW_SHOWMINIMIZED
              : state & Qt::WindowMaximized ? SW_SHOWMAXIMIZED
                                            : SW_SHOWNORMAL;
  if (FPendingNormal &&
      state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
    p.NormalPosition = ToRect(*FPendingNormal);
  } else {
    QRect normal = FWindow->normalGeometry();
    if (normal.isEmpty()) normal = FWindow->geometry();
    p.NormalPosition = ToRect(normal.marginsAdded(FrameMargins()));
  }
  return p;
}

void TQtPlacementWindow::ApplyNormalRect(const QRect& withFrame) {
  const Qt::WindowStates state = FWindow->windowState();
  // Qt sets the normal geometry only on a window in its normal state.
  if (state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
    FWindow->setWindowState(state &
                            ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
  const QMargins frame = FrameMargins();
  FWindow->move(withFrame.topLeft());
  FWindow->resize(withFrame.size().shrunkBy(frame));
  if (frame.isNull())
    FPendingNormal = withFrame;
  else
    FPendingNormal.reset();
  if (FWindow->windowState() != state) FWindow->setWindowState(state);
}

void TQtPlacementWindow::SetPlacement(const TWindowPlacement& placement) {
  FFlags = placement.Flags;
  FMinPosition = placement.MinPosition;
  FMaxPosition = placement.MaxPosition;
  if (!(placement.NormalPosition == GetPlacement().NormalPosition))
    ApplyNormalRect(FromRect(placement.NormalPosition));
  switch (placement.ShowCmd) {
    case SW_SHOWNORMAL:
      SetWindowState(TWindowState::wsNormal);
      break;
    case SW_SHOWMINIMIZED:
      SetWindowState(TWindowState::wsMinimized);
      break;
    case SW_SHOWMAXIMIZED:
      SetWindowState(TWindowState::wsMaximized);
      break;
    default:
      return;  // hidden windows stay hidden
  }
  FWindow->setVisible(true);
}

bool TQtPlacementWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched != FWindow || !FPendingNormal ||
      (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) ||
      FWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
    return false;
  const QMargins frame = FrameMargins();
  if (frame.isNull()) {
    // No frame yet, or none at all: the window itself holds the bounds.
    *FPendingNormal = FWindow->geometry();
    return false;
  }
  const QRect bounds = *FPendingNormal;
  FPendingNormal.reset();
  FWindow->move(bounds.topLeft());
  FWindow->resize(bounds.size().shrunkBy(frame));
  return false;
}

bool TQtPlacementWindow::Visible() const {
  return FWindow->isVisible();
}
int TQtPlacementWindow::Width() const {
  return FWindow->frameGeometry().width();
}
int TQtPlacementWindow::Height() const {
  return FWindow->frameGeometry().height();
}
int TQtPlacementWindow::Left() const {
  return FWindow->frameGeometry().left();
}
int TQtPlacementWindow::Top() const {
  return FWindow->frameGeometry().top();
}

TFormBorderStyle TQtPlacementWindow::BorderStyle() const {
  const Qt::WindowFlags flags = FWindow->windowFlags();
  if (flags & Qt::FramelessWindowHint) return TFormBorderStyle::bsNone;
  const bool fixed = FWindow->minimumSize() == FWindow->maximumSize();
  if ((flags & Qt::WindowType_Mask) == Qt::Tool)
    return fixed ? TFormBorderStyle::bsToolWindow : TFormBorderStyle::bsSizeToolWin;
  return fixed ? TFormBorderStyle::bsSingle : TFormBorderStyle::bsSizeable;
}

TFormStyle TQtPlacementWindow::FormStyle() const {
  return FWindow->windowFlags() & Qt::WindowStaysOnTopHint ? TFormStyle::fsStayOnTop
                                                           : TFormStyle::fsNormal;
}

TWindowState TQtPlacementWindow::WindowState() const {
  const Qt::WindowStates state = FWindow->windowState();
  if (state & Qt::WindowMinimized) return TWindowState::wsMinimized;
  if (state & Qt::WindowMaximized) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TQtPlacementWindow::SetWindowState(TWindowState state) {
  Qt::WindowStates s = FWindow->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == TWindowState::wsMinimized) s |= Qt::WindowMinimized;
  if (state == TWindowState::wsMaximized) s |= Qt::WindowMaximized;
  if (s != FWindow->windowState()) FWindow->setWindowState(s);
}

void TQtPlacementWindow::Repaint() {
  FWindow->update();
}

int TQtPlacementWindow::ScreenWidth() const {
  return FWindow->screen()->geometry().width();
}
int TQtPlacementWindow::ScreenHeight() const {
  return FWindow->screen()->geometry().height();
}
int TQtPlacementWindow::PixelsPerInch() const {
  return qRound(FWindow->screen()->logicalDotsPerInch());
}

// Qt places a maximized window itself; reporting the frame that the kept maximized position
// implies leaves that position as it was read.
TPoint TQtPlacementWindow::FrameSize(TFormBorderStyle) const {
  return {-FMaxPosition.X, -FMaxPosition.Y};
}

bool TQtPlacementWindow::ApplicationMinimized() const {
  return FWindow->isMinimized();
}

// Posted, so that it comes after the show that is running.
void TQtPlacementWindow::MinimizeApplication() {
  QTimer::singleShot(0, FWindow, [w = FWindow] {
    if (w) w->showMinimized();
  });
}

}  // namespace zel
