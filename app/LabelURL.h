// SPDX-License-Identifier: GPL-3.0-or-later
// A link label: shows another font while the mouse is over it and asks the
// desktop to open its address when clicked.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

class TEnvironment;

/// A label's font as the user sees it: face, size, style and colour.
struct TLabelFont {
  QFont Face;
  QColor Color = Qt::black;
  bool operator==(const TLabelFont&) const = default;
};

class TLabelURL : public QLabel {
  Q_OBJECT
 public:
  /// ActiveFont starts as a new font, blue and underlined; the saved font is
  /// the label's own; the cursor is the pointing hand.
  explicit TLabelURL(TEnvironment& Environment, QWidget* Parent = nullptr);

  /// The address opened by a click.
  const QString& URL() const { return Address; }
  void SetURL(const QString& Url) { Address = Url; }

  /// The font shown while the mouse is over the label.
  const TLabelFont& ActiveFont() const { return Active; }
  /// Takes a copy of Font.
  void SetActiveFont(const TLabelFont& Font) { Active = Font; }

  /// The label's own font and colour.
  TLabelFont LabelFont() const;
  void SetLabelFont(const TLabelFont& Font);

 Q_SIGNALS:
  /// The label's ordinary click, before the address is opened.
  void Clicked();

 protected:
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  TEnvironment& Environment;
  QString Address;
  TLabelFont Active;
  /// Taken at creation and at each entry of the mouse; put back when it leaves.
  TLabelFont Saved;
  bool Pressed = false;
};
