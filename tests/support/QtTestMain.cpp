// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry for suites that need the application object: the program's own
// application class on Qt's offscreen platform.
#include <gtest/gtest.h>

#include "app/Application.h"

int main(int Argc, char** Argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  testing::InitGoogleTest(&Argc, Argv);
  TApplication Application(Argc, Argv);
  return RUN_ALL_TESTS();
}
