// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: a borderless picture with the program's title, its
// authors, a notice on use and a link to the project's home page. Created
// hidden at start and kept for the whole run.
#pragma once

#include <QWidget>

class QLabel;
class TEnvironment;
class TLabelURL;
class TStillPicture;

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 572;
  static constexpr int ClientHeight = 516;

  /// Builds the window hidden, centred on the desktop. With a Parent it is
  /// still a window of its own, destroyed with the parent.
  explicit TForm2(TEnvironment& Environment, QWidget* Parent = nullptr);

  /// The About command: above every other window, not modal.
  void ShowOnTop();

  /// A click on the picture or on a label: hidden, and no longer on top.
  void Image1Click();
  void Label1Click();
  void Label2Click();

  TStillPicture* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  TLabelURL* LabelURL1 = nullptr;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void HideAbout();
  void CentreOnDesktop();
};
