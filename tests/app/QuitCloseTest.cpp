// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>

#include "tests/support/FormHarness.h"

namespace {
std::array<std::uint8_t, 68> ReportOf(const TForm1& Form) {
  return Form.State.CommandReport.Bytes();
}

TEST(QuitAndClose, QuitWithoutAnalyserSendsNothingAndEndsTheRun) {
  TFormHarness Harness;
  TForm1& Form = Harness.StartShown();
  const auto Before = ReportOf(Form);
  // If quitting failed to end the loop, the guard would end it with 1.
  QTimer::singleShot(0, &Form, [&Form] { Form.Quitter2Click(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(ReportOf(Form), Before);  // cmdClose not even prepared
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
}

TEST(QuitAndClose, QuitToolButtonRunsTheQuitCommand) {
  TFormHarness Harness;
  TForm1& Form = Harness.StartShown();
  QTimer::singleShot(0, &Form, [&Form] { Form.ToolButton6->click(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST(QuitAndClose, ClosingTheWindowIsAlwaysAllowedAndSendsNothingWithoutAnalyser) {
  TFormHarness Harness;
  TForm1& Form = Harness.StartShown();
  const auto Before = ReportOf(Form);
  bool CanClose = false;
  Form.FormCloseQuery(CanClose);
  EXPECT_TRUE(CanClose);
  EXPECT_TRUE(Form.close());
  EXPECT_FALSE(Form.isVisible());
  EXPECT_EQ(ReportOf(Form), Before);
}

TEST(QuitAndClose, DestroyingTheWindowSavesNothing) {
  TFormHarness Harness;
  Harness.Start();
  const std::string Saved = Harness.SettingsFileBytes();
  Harness.Form->Settings.Line(1) = "changed in memory only";
  Harness.Form.reset();
  EXPECT_EQ(Harness.SettingsFileBytes(), Saved);
}
}  // namespace
