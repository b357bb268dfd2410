#include "app/Form1.h"

TForm1::TForm1(QWidget* Parent) : QMainWindow(Parent) {
  setWindowTitle(QStringLiteral("Analyseur logique USB V1.6"));
  setFixedSize(961, 695);
}
