#include <QApplication>

#include "app/Form1.h"

int main(int Argc, char** Argv) {
  QApplication Application(Argc, Argv);
  TForm1 Form1;
  Form1.show();
  return Application.exec();
}
