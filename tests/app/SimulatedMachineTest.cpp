// SPDX-License-Identifier: GPL-3.0-or-later
// The window on the machine of `la16 --simulate`: the plug-in panel first,
// then the simulated analyser attached beside the decoy, answering in real
// time.
#include <gtest/gtest.h>

#include <QFile>
#include <QFrame>

#include "app/SimulatedMachine.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"

namespace {

TEST(SimulatedMachine, AnalyserArrivesAfterThePlugInPanelAndAnswersASingleAcquisition) {
  // Long enough that a loaded machine (sanitizers, CI) still starts the
  // window and looks at it before the analyser is plugged in.
  TSimulatedMachine Machine(std::chrono::milliseconds(1500));
  TAnalyserRig Rig;
  Rig.Harness.Environment.OtherPlatform = &Machine.Platform();
  TForm1& Form = Rig.Start("100", "1");

  EXPECT_TRUE(Machine.Decoy().Plugged());
  EXPECT_FALSE(Machine.Analyser().Plugged());
  TAnalyserRig::Idle(std::chrono::milliseconds(100));
  // The decoy is listed, the window still waits.
  EXPECT_EQ(Form.JvHidDeviceController1->Devices().size(), 1U);
  EXPECT_TRUE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_EQ(Form.AnalyserDevice, nullptr);

  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form.AnalyserDevice != nullptr; }));
  EXPECT_FALSE(Form.Panel3->isVisibleTo(&Form));
  EXPECT_EQ(TAnalyserRig::Heads(Machine.Analyser().HidInterface()),
            (std::vector<TReportHead>{{0, 6, 0, 0}, {0, 11, 0, 0x64}, {0, 10, 1, 0x64}}));
  EXPECT_TRUE(Machine.Decoy().WrittenReports().empty());

  const QImage Empty = std::as_const(*Form.Image2).Picture();
  Form.SpeedButton25Click();  // single acquisition
  const QString Snapshot = Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return QFile::exists(Snapshot); }));
  EXPECT_EQ(Form.State.RestitutionCount, 1);
  EXPECT_TRUE(std::as_const(*Form.Image2).Picture() != Empty);
  // The window goes before the machine, as in the program.
  Rig.Harness.Form.reset();
}

}  // namespace
