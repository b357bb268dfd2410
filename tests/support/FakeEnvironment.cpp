#include "tests/support/FakeEnvironment.h"

void TFakeEnvironment::ShowError(const QString& Message) {
  Boxes.push_back({TBoxKind::Error, Message});
}

void TFakeEnvironment::ShowInformation(const QString& Message) {
  Boxes.push_back({TBoxKind::Information, Message});
}

bool TFakeEnvironment::AskYesNo(const QString& Message) {
  Boxes.push_back({TBoxKind::YesNo, Message});
  return YesNoAnswer;
}

std::vector<QString> TFakeEnvironment::Messages(TBoxKind Kind) const {
  std::vector<QString> Found;
  for (const TBox& Box : Boxes) {
    if (Box.Kind == Kind) {
      Found.push_back(Box.Message);
    }
  }
  return Found;
}
