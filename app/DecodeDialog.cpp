// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DecodeDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const TDecoderInfo& Decoder(int Index) {
  return DecoderTable()[static_cast<std::size_t>(Index)];
}
}  // namespace

TDecodeDialog::TDecodeDialog(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("DecodeDialog"));
  setWindowTitle(QStringLiteral("Décoder"));
  resize(480, 520);
  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(new QLabel(QStringLiteral("Décodeurs à lancer :"), this));
  DecoderList = new QListWidget(this);
  DecoderList->setObjectName(QStringLiteral("DecoderList"));
  Layout->addWidget(DecoderList);

  auto* Editor = new QHBoxLayout;
  Editor->addWidget(new QLabel(QStringLiteral("Décodeur :"), this));
  DecoderChoice = new QComboBox(this);
  DecoderChoice->setObjectName(QStringLiteral("DecoderChoice"));
  for (const TDecoderInfo& Info : DecoderTable()) {
    DecoderChoice->addItem(QString::fromUtf8(Info.Caption));
  }
  Editor->addWidget(DecoderChoice, 1);
  Layout->addLayout(Editor);
  OptionsForm = new QFormLayout;
  Layout->addLayout(OptionsForm);
  ErrorLabel = new QLabel(this);
  ErrorLabel->setStyleSheet(QStringLiteral("color: #b00000"));
  ErrorLabel->setWordWrap(true);
  Layout->addWidget(ErrorLabel);

  auto* ListButtons = new QHBoxLayout;
  AddButton = new QPushButton(QStringLiteral("Ajouter"), this);
  RemoveButton = new QPushButton(QStringLiteral("Retirer"), this);
  ListButtons->addWidget(AddButton);
  ListButtons->addWidget(RemoveButton);
  ListButtons->addStretch();
  Layout->addLayout(ListButtons);

  auto* Buttons = new QDialogButtonBox(this);
  DecodeButton = Buttons->addButton(QStringLiteral("Décoder"), QDialogButtonBox::AcceptRole);
  Buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
  Layout->addWidget(Buttons);

  connect(DecoderChoice, &QComboBox::currentIndexChanged, this, &TDecodeDialog::ChooseDecoder);
  connect(AddButton, &QPushButton::clicked, this, &TDecodeDialog::AddEdited);
  connect(RemoveButton, &QPushButton::clicked, this, &TDecodeDialog::RemoveSelected);
  connect(DecoderList, &QListWidget::currentRowChanged, this, &TDecodeDialog::ShowSpec);
  connect(Buttons, &QDialogButtonBox::accepted, this, &TDecodeDialog::DecodeClicked);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ChooseDecoder(0);
}

void TDecodeDialog::ChooseDecoder(int Index) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= DecoderTable().size()) {
    return;
  }
  if (DecoderChoice->currentIndex() != Index) {
    DecoderChoice->setCurrentIndex(Index);  // runs this again
    return;
  }
  while (OptionsForm->rowCount() > 0) {
    OptionsForm->removeRow(0);
  }
  OptionFields.clear();
  int NextInput = 1;  // inputs that must be given start on distinct ones
  for (const TDecoderOption& Option : Decoder(Index).Options) {
    auto* Field = new QComboBox(this);
    Field->setObjectName(QString::fromUtf8(Option.Name));
    if (Option.IsInput) {
      if (Option.Optional) {
        Field->addItem(QStringLiteral("aucune"), QString());
      }
      for (int Input = 1; Input <= 16; ++Input) {
        Field->addItem(QString::number(Input), QString::number(Input));
      }
    } else if (!Option.Values.empty()) {
      for (const char* Value : Option.Values) {
        Field->addItem(QString::fromUtf8(Value), QString::fromUtf8(Value));
      }
    } else {
      Field->setEditable(true);
    }
    const QString Default = Option.IsInput && !Option.Optional ? QString::number(NextInput++)
                                                               : QString::fromUtf8(Option.Default);
    const int At = Field->findData(Default);
    if (At >= 0) {
      Field->setCurrentIndex(At);
    } else if (Field->isEditable()) {
      Field->setEditText(Default);
    }
    OptionsForm->addRow(QString::fromUtf8(Option.Caption) + QStringLiteral(" :"), Field);
    OptionFields.emplace_back(&Option, Field);
  }
}

bool TDecodeDialog::SetOption(const char* Name, const QString& Value) {
  for (const auto& [Option, Field] : OptionFields) {
    if (std::string_view(Option->Name) != Name) {
      continue;
    }
    const int At = Field->findData(Value);
    if (At >= 0) {
      Field->setCurrentIndex(At);
    } else if (Field->isEditable()) {
      Field->setEditText(Value);
    } else {
      return false;
    }
    return true;
  }
  return false;
}

std::variant<TDecoderSpec, std::string> TDecodeDialog::EditedSpec() const {
  std::string Text = Decoder(DecoderChoice->currentIndex()).Name;
  for (const auto& [Option, Field] : OptionFields) {
    const QString Value =
        Field->isEditable() ? Field->currentText().trimmed() : Field->currentData().toString();
    if (!Value.isEmpty()) {
      Text += ':' + std::string(Option->Name) + '=' + Value.toStdString();
    }
  }
  return ParseDecoderSpec(Text);
}

void TDecodeDialog::SetSpecs(const std::vector<TDecoderSpec>& Specs) {
  DecoderList->clear();
  Chosen.clear();
  for (const TDecoderSpec& Spec : Specs) {
    AppendSpec(Spec);
  }
}

void TDecodeDialog::AppendSpec(const TDecoderSpec& Spec) {
  Chosen.push_back(Spec);
  DecoderList->addItem(QString::fromStdString(FormatDecoderSpec(Spec)));
}

void TDecodeDialog::AddEdited() {
  auto Edited = EditedSpec();
  if (const auto* Message = std::get_if<std::string>(&Edited)) {
    ErrorLabel->setText(QString::fromStdString(*Message));
    return;
  }
  ErrorLabel->clear();
  AppendSpec(std::get<TDecoderSpec>(Edited));
}

void TDecodeDialog::RemoveSelected() {
  const int Row = DecoderList->currentRow();
  if (Row < 0) {
    return;
  }
  delete DecoderList->takeItem(Row);
  Chosen.erase(Chosen.begin() + Row);
}

void TDecodeDialog::ShowSpec(int Row) {
  if (Row < 0 || static_cast<std::size_t>(Row) >= Chosen.size()) {
    return;
  }
  const TDecoderSpec& Spec = Chosen[static_cast<std::size_t>(Row)];
  for (std::size_t I = 0; I < DecoderTable().size(); ++I) {
    if (&DecoderTable()[I] == Spec.Info) {
      ChooseDecoder(static_cast<int>(I));
    }
  }
  for (const auto& [Name, Value] : Spec.Options) {
    SetOption(Name.c_str(), QString::fromStdString(Value));
  }
}

void TDecodeDialog::DecodeClicked() {
  // Nothing listed yet: the decoder being edited is the one meant.
  if (Chosen.empty()) {
    AddEdited();
    if (Chosen.empty()) {
      return;
    }
  }
  accept();
}
