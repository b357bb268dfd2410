// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar: three sunken text panels spanning 0 to 300, 300 to 600 and
// 600 to the right edge.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;

class TStatusBar : public QWidget {
  Q_OBJECT
 public:
  /// Panel 0 link status, panel 1 acquisition status, panel 2 trigger pattern.
  static constexpr int PanelCount = 3;

  explicit TStatusBar(QWidget* Parent = nullptr);

  /// Text of panel Index (0..2); throws std::out_of_range for other indices.
  QString PanelText(int Index) const;
  void SetPanelText(int Index, const QString& Text);

 protected:
  void resizeEvent(QResizeEvent* Event) override;

 private:
  QLabel* Panel(int Index) const;
  std::array<QLabel*, PanelCount> Panels{};
};
