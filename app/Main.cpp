// SPDX-License-Identifier: GPL-3.0-or-later
// Process entry: the application object, its environment and the main
// window, then the message loop.
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/MeasurementProbe.h"
#include "app/QtEnvironment.h"
#include "display/PictureFont.h"

namespace {

// Standard output's answer to --help or --version: status 0 once written.
int Answer(const std::string& Text) {
  return std::fputs(Text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int Argc, char** Argv) {
  // Answered before Qt opens the display, which it aborts without.
  switch (FindCommandLineRequest(Argc, Argv)) {
    case TCommandLineRequest::Help:
      return Answer(CommandLineHelp());
    case TCommandLineRequest::Version:
      return Answer(CommandLineVersion());
    case TCommandLineRequest::Run:
      break;
  }
  ChoosePictureFontEngine();
  TApplication Application(Argc, Argv);  // takes Qt's own options out of Argv
  std::string CaptureFile;
  const std::optional<THidBackend> Backend = ParseCommandLine(Argc, Argv, &CaptureFile);
  if (!Backend) {
    std::fprintf(stderr, "%s\n", CommandLineUsage);
    return 2;
  }
  TQtEnvironment Environment(*Backend);
  Application.SetEnvironment(&Environment);
  TForm1 Form1(Environment);  // runs start-up
  TForm2 Form2(Environment);  // hidden until "A propos de..."
  Form1.Form2 = &Form2;
  InstallMeasurementProbe(Form1);  // only when LA16_PROBE asks for it
  Form1.show();
  if (!CaptureFile.empty()) {  // once the window is up, so a refusal has its box
    QTimer::singleShot(0, &Form1,
                       [&Form1, Path = QFile::decodeName(QByteArray::fromStdString(CaptureFile))] {
                         Form1.OpenCapture(Path);
                       });
  }
  return Application.exec();
}
