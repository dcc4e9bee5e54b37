#include "app/QtPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace zel {

namespace {

TRect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect FromRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// How often and how long a held rectangle is checked, how many checks in a row that find the
// window in place (with a frame, or still without one) end the hold, and how often among them
// the request is repeated.
constexpr int kPendingCheckMs = 25;
constexpr int kPendingLimitMs = 4000;
constexpr int kSettledChecks = 16, kSettledUnframed = 40, kRepeatEvery = 4;
// A frame thicker than this on any side is a report taken in the middle of framing.
constexpr int kMostFrame = 150;

}  // namespace

TQtPlacementWindow::TQtPlacementWindow(QWidget* window, bool isMainWindow, TPosition position)
    : QObject(window), FWindow(window), FIsMainWindow(isMainWindow), FPosition(position) {
  window->installEventFilter(this);
  FPendingCheck.setInterval(kPendingCheckMs);
  connect(&FPendingCheck, &QTimer::timeout, this, [this] { Enforce(true); });
}

std::string TQtPlacementWindow::ClassName() const {
  return FWindow->metaObject()->className();
}

bool TQtPlacementWindow::HandleAllocated() const {
  return FWindow->testAttribute(Qt::WA_WState_Created);
}

QMargins TQtPlacementWindow::FrameMargins() const {
  // The native window's, which follow the manager's latest report; the widget's own are
  // updated only as the window moves, and may lag behind a frame that came later.
  const QRect frame = FWindow->frameGeometry(), client = FWindow->geometry();
  const QMargins m =
      FWindow->windowHandle() != nullptr
          ? FWindow->windowHandle()->frameMargins()
          : QMargins(client.left() - frame.left(), client.top() - frame.top(),
                     frame.right() - client.right(), frame.bottom() - client.bottom());
  const auto believable = [](int side) { return side >= 0 && side <= kMostFrame; };
  if (believable(m.left()) && believable(m.top()) && believable(m.right()) &&
      believable(m.bottom()))
    FLastFrame = m;
  return FLastFrame;
}

QRect TQtPlacementWindow::FrameRect() const {
  return FPendingNormal ? *FPendingNormal : FWindow->geometry().marginsAdded(FrameMargins());
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
  if (FPendingNormal) {
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
  FPendingNormal = withFrame;
  FPendingSince.start();
  FSettledChecks = 0;
  Enforce(false);
  FPendingCheck.start();
  if (FWindow->windowState() != state) FWindow->setWindowState(state);
}

void TQtPlacementWindow::Enforce(bool settling) {
  if (!FPendingNormal || FEnforcing) return;
  if (FPendingSince.elapsed() > kPendingLimitMs) {
    FPendingNormal.reset();
    FPendingCheck.stop();
    return;
  }
  // A maximized or minimized window keeps the held rectangle for its return to normal.
  if (FWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
    return;
  const QMargins frame = FrameMargins();
  const QRect client = FPendingNormal->marginsRemoved(frame);
  if (FWindow->geometry() != client) {
    FEnforcing = true;
    FWindow->setGeometry(client);
    FEnforcing = false;
    FSettledChecks = 0;
  } else if (settling && FWindow->isVisible()) {
    ++FSettledChecks;
    // A manager may drop a request made while it frames the window, and Qt then believes in a
    // geometry the window does not have: asked again, which changes nothing where it has it.
    if (FSettledChecks % kRepeatEvery == 0 && FWindow->windowHandle() != nullptr)
      FWindow->windowHandle()->setGeometry(client);
    // Without a frame reported yet the manager may still be about to frame it.
    if (FSettledChecks >= (frame.isNull() ? kSettledUnframed : kSettledChecks)) {
      FPendingNormal.reset();
      FPendingCheck.stop();
    }
  }
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
  if (watched != FWindow || !FPendingNormal || FEnforcing ||
      (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show))
    return false;
  if (event->spontaneous() || type == QEvent::Show) {
    Enforce(false);  // the window manager placed it: the held rectangle wins
  } else if (!(FWindow->windowState() &
               (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    // The program moved it (kept it on the screen): that is the rectangle to hold now.
    *FPendingNormal = FWindow->geometry().marginsAdded(FrameMargins());
  }
  return false;
}

bool TQtPlacementWindow::Visible() const {
  return FWindow->isVisible();
}
int TQtPlacementWindow::Width() const {
  return FrameRect().width();
}
int TQtPlacementWindow::Height() const {
  return FrameRect().height();
}
int TQtPlacementWindow::Left() const {
  return FrameRect().left();
}
int TQtPlacementWindow::Top() const {
  return FrameRect().top();
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
