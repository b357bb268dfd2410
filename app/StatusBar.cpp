// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusBar.h"

#include <QLabel>
#include <stdexcept>

namespace {
// Left edges of the panels; the last one takes the rest of the width.
constexpr std::array<int, TStatusBar::PanelCount> PanelLeft = {0, 300, 600};
}  // namespace

TStatusBar::TStatusBar(QWidget* Parent) : QWidget(Parent) {
  for (int Index = 0; Index < PanelCount; ++Index) {
    QLabel* Label = new QLabel(this);
    Label->setObjectName(QStringLiteral("Panel%1").arg(Index));
    Label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label->setIndent(2);
    Label->setTextFormat(Qt::PlainText);
    Panels[static_cast<std::size_t>(Index)] = Label;
  }
}

QLabel* TStatusBar::Panel(int Index) const {
  if (Index < 0 || Index >= PanelCount) {
    throw std::out_of_range("status bar panel " + std::to_string(Index) + " does not exist");
  }
  return Panels[static_cast<std::size_t>(Index)];
}

QString TStatusBar::PanelText(int Index) const {
  return Panel(Index)->text();
}

void TStatusBar::SetPanelText(int Index, const QString& Text) {
  Panel(Index)->setText(Text);
}

void TStatusBar::resizeEvent(QResizeEvent* /*Event*/) {
  for (int Index = 0; Index < PanelCount; ++Index) {
    const int Left = PanelLeft[static_cast<std::size_t>(Index)];
    const int Right =
        Index + 1 < PanelCount ? PanelLeft[static_cast<std::size_t>(Index) + 1] : width();
    Panel(Index)->setGeometry(Left, 2, Right - Left - 2, height() - 2);
  }
}
