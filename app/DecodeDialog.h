// SPDX-License-Identifier: GPL-3.0-or-later
// "Décoder...": the decoders to run, several at once, each with its inputs
// by number and its options as its table lists them.
#pragma once

#include <QDialog>
#include <utility>
#include <vector>

#include "analysis/DecoderTable.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;

class TDecodeDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TDecodeDialog(QWidget* Parent);

  /// The list the dialog starts from (the decoders of the last run).
  void SetSpecs(const std::vector<TDecoderSpec>& Specs);
  /// The decoders listed when "Décoder" was pressed.
  const std::vector<TDecoderSpec>& Specs() const { return Chosen; }

  /// Shows Decoder's options with their defaults.
  void ChooseDecoder(int Decoder);
  /// Sets the field of option Name; false when there is none.
  bool SetOption(const char* Name, const QString& Value);
  /// The spec of the fields, or the message saying what is wrong.
  std::variant<TDecoderSpec, std::string> EditedSpec() const;

  QListWidget* DecoderList = nullptr;
  QComboBox* DecoderChoice = nullptr;
  QPushButton* AddButton = nullptr;
  QPushButton* RemoveButton = nullptr;
  QPushButton* DecodeButton = nullptr;
  QLabel* ErrorLabel = nullptr;

 private:
  void AddEdited();
  void RemoveSelected();
  void ShowSpec(int Row);
  void DecodeClicked();
  void AppendSpec(const TDecoderSpec& Spec);

  QFormLayout* OptionsForm = nullptr;
  std::vector<std::pair<const TDecoderOption*, QComboBox*>> OptionFields;
  std::vector<TDecoderSpec> Chosen;
};
