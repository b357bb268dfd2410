// SPDX-License-Identifier: GPL-3.0-or-later
#include "docs/shots/ShotKit.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/Form1.h"
#include "link/AnalyserProtocol.h"
#include "link/JvHidControllerClass.h"

void Settle(std::chrono::milliseconds Duration) {
  QEventLoop Loop;
  QTimer::singleShot(Duration, &Loop, &QEventLoop::quit);
  Loop.exec();
}

bool WaitUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  const auto Deadline = std::chrono::steady_clock::now() + Timeout;
  while (!Done()) {
    if (std::chrono::steady_clock::now() > Deadline) {
      return false;
    }
    Settle(std::chrono::milliseconds(20));
  }
  return true;
}

TRestitutionCounter::TRestitutionCounter(TForm1& Form) {
  TJvHidDevice& Device = *Form.AnalyserDevice;
  Device.SetOnReport(
      [Inner = Device.OnReport(), Ends = Ends](TJvHidDevice& HidDev, std::uint8_t ReportID,
                                               const std::uint8_t* Data, std::uint16_t Size) {
        Inner(HidDev, ReportID, Data, Size);
        if (Size > 0 && Data[0] == BlockRestitutionEnd) {
          ++*Ends;
        }
      });
}

bool TRestitutionCounter::WaitFor(int Count) {
  const int Target = *Ends + Count;
  return WaitUntil([this, Target] { return *Ends >= Target; });
}

void TShotFolder::Save(const QImage& Picture, const QString& Name) {
  const QString Path = Folder.filePath(Name);
  if (Picture.isNull() || !Picture.save(Path)) {
    Fail(QStringLiteral("cannot write ") + Path);
    return;
  }
  std::printf("wrote %s\n", qPrintable(Path));
}

void TShotFolder::Fail(const QString& What) {
  std::fprintf(stderr, "FAILED: %s\n", qPrintable(What));
  Done = false;
}

bool TShotFolder::Check(bool Done, const char* What) {
  if (!Done) {
    Fail(QString::fromUtf8(What));
  }
  return Done;
}

QRect GlobalRect(const QWidget* Widget) {
  return {Widget->mapToGlobal(QPoint(0, 0)), Widget->size()};
}

QImage GrabPart(QWidget* Window, const QRect& Area) {
  return Window->grab(Area).toImage();
}

QImage GrabScreen(const QRect& Area) {
  QScreen* Screen = QGuiApplication::primaryScreen();
  return Screen->grabWindow(0, Area.x(), Area.y(), Area.width(), Area.height()).toImage();
}

void SendMouse(QWidget* Widget, QEvent::Type Type, QPoint Point) {
  const Qt::MouseButton Button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons Held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent Event(Type, QPointF(Point), QPointF(Widget->mapToGlobal(Point)), Button, Held,
                    Qt::NoModifier);
  QApplication::sendEvent(Widget, &Event);
}

bool AnswerModal(const std::function<void()>& Command, const std::function<void(QWidget*)>& Look) {
  bool Seen = false;
  int ShownFor = 0;
  QTimer Poll;
  Poll.setInterval(50);
  QObject::connect(&Poll, &QTimer::timeout, [&] {
    auto* Modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    // Some ticks after it appears, so that it has painted on the screen.
    if (Modal == nullptr || Seen || ++ShownFor < 8) {
      return;
    }
    Seen = true;
    Look(Modal);
    Modal->reject();
  });
  Poll.start();
  Command();
  return Seen;
}
