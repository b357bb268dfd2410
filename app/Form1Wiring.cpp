// SPDX-License-Identifier: GPL-3.0-or-later
// Connects every control of the main window to its handler, by the rules of
// ControlSemantics.
#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "app/Application.h"
#include "app/CaptureFiles.h"
#include "app/ControlSemantics.h"
#include "app/Form1.h"
#include "display/PictureBox.h"

namespace {
using THandlerMember = void (TForm1::*)();

template <typename TControl>
struct TBinding {
  TControl* TForm1::*Control;
  THandlerMember Handler;
};

}  // namespace

void TForm1::WireHandlers() {
  // Inside the form: the handlers are its own, private.
  // Speed buttons that run their handler on every click.
  static const TBinding<QToolButton> SpeedButtons[] = {
      {&TForm1::SpeedButton1, &TForm1::SpeedButton1Click},
      {&TForm1::SpeedButton2, &TForm1::SpeedButton2Click},
      {&TForm1::SpeedButton3, &TForm1::SpeedButton3Click},
      {&TForm1::SpeedButton4, &TForm1::SpeedButton4Click},
      {&TForm1::SpeedButton5, &TForm1::SpeedButton5Click},
      {&TForm1::SpeedButton6, &TForm1::SpeedButton6Click},
      {&TForm1::SpeedButton7, &TForm1::SpeedButton7Click},
      {&TForm1::SpeedButton8, &TForm1::SpeedButton8Click},
      {&TForm1::SpeedButton9, &TForm1::SpeedButton9Click},
      {&TForm1::SpeedButton10, &TForm1::SpeedButton10Click},
      {&TForm1::SpeedButton11, &TForm1::SpeedButton11Click},
      {&TForm1::SpeedButton12, &TForm1::SpeedButton12Click},
      {&TForm1::SpeedButton13, &TForm1::SpeedButton13Click},
      {&TForm1::SpeedButton14, &TForm1::SpeedButton14Click},
      {&TForm1::SpeedButton15, &TForm1::SpeedButton15Click},
      {&TForm1::SpeedButton16, &TForm1::SpeedButton16Click},
      {&TForm1::SpeedButton17, &TForm1::SpeedButton17Click},
      {&TForm1::SpeedButton18, &TForm1::SpeedButton18Click},
      {&TForm1::SpeedButton19, &TForm1::SpeedButton19Click},
      {&TForm1::SpeedButton20, &TForm1::SpeedButton20Click},
      {&TForm1::SpeedButton21, &TForm1::SpeedButton21Click},
      {&TForm1::SpeedButton22, &TForm1::SpeedButton22Click},
      {&TForm1::SpeedButton23, &TForm1::SpeedButton23Click},
      {&TForm1::SpeedButton24, &TForm1::SpeedButton24Click},
      {&TForm1::SpeedButton25, &TForm1::SpeedButton25Click},
      {&TForm1::SpeedButton26, &TForm1::SpeedButton26Click},
      {&TForm1::SpeedButton27, &TForm1::SpeedButton27Click},
      {&TForm1::SpeedButton28, &TForm1::SpeedButton28Click},
      {&TForm1::SpeedButton29, &TForm1::SpeedButton29Click},
      // A tool button runs the same command as its menu item.
      {&TForm1::ToolButton1, &TForm1::ToolButton1Click},
      {&TForm1::ToolButton2, &TForm1::Imprimer1Click},
      {&TForm1::ToolButton3, &TForm1::Sauvegarder1Click},
      {&TForm1::ToolButton12, &TForm1::Exporterlesdonnes1Click},
      {&TForm1::ToolButton5, &TForm1::Copier1Click},
      {&TForm1::ToolButton6, &TForm1::Quitter2Click},
      {&TForm1::ToolButton7, &TForm1::Aide2Click},
  };

  static const TBinding<QAction> MenuItems[] = {
      {&TForm1::Ouvrirunecapture1, &TForm1::Ouvrirunecapture1Click},
      {&TForm1::Sauvegarder1, &TForm1::Sauvegarder1Click},
      {&TForm1::Exporterlesdonnes1, &TForm1::Exporterlesdonnes1Click},
      {&TForm1::Imprimer1, &TForm1::Imprimer1Click},
      {&TForm1::Quitter2, &TForm1::Quitter2Click},
      {&TForm1::Copier1, &TForm1::Copier1Click},
      {&TForm1::RglagedelavitessedevotrePC1, &TForm1::RglagedelavitessedevotrePC1Click},
      {&TForm1::Afficherfrontsmontantsetdescendants1,
       &TForm1::Afficherfrontsmontantsetdescendants1Click},
      {&TForm1::Indicateurs116ouD0D151, &TForm1::Indicateurs116ouD0D151Click},
      {&TForm1::Aide2, &TForm1::Aide2Click},
      {&TForm1::Aproposde1, &TForm1::Aproposde1Click},
  };

  static const TBinding<QRadioButton> RadioButtons[] = {
      {&TForm1::RadioButton1, &TForm1::RadioButton1Click},
      {&TForm1::RadioButton2, &TForm1::RadioButton2Click},
      {&TForm1::RadioButton3, &TForm1::RadioButton3Click},
      {&TForm1::RadioButton4, &TForm1::RadioButton4Click},
      {&TForm1::RadioButton5, &TForm1::RadioButton5Click},
      {&TForm1::RadioButton6, &TForm1::RadioButton6Click},
  };

  static const TBinding<QCheckBox> BoxBindings[] = {
      {&TForm1::CheckBox1, &TForm1::CheckBox1Click}, {&TForm1::CheckBox2, &TForm1::CheckBox2Click},
      {&TForm1::CheckBox3, &TForm1::CheckBox3Click}, {&TForm1::CheckBox4, &TForm1::CheckBox4Click},
      {&TForm1::CheckBox5, &TForm1::CheckBox5Click}, {&TForm1::CheckBox6, &TForm1::CheckBox6Click},
      {&TForm1::CheckBox7, &TForm1::CheckBox7Click}, {&TForm1::CheckBox8, &TForm1::CheckBox8Click},
  };

  using namespace ControlSemantics;
  for (const auto& [Control, Handler] : SpeedButtons) {
    OnClick(this->*Control, [this, Handler = Handler] { (this->*Handler)(); });
  }
  for (const auto& [Control, Handler] : MenuItems) {
    OnChoose(this->*Control, [this, Handler = Handler] { (this->*Handler)(); });
  }
  for (const auto& [Control, Handler] : RadioButtons) {
    OnBecomesChecked(this->*Control, [this, Handler = Handler] { (this->*Handler)(); });
  }
  for (const auto& [Control, Handler] : BoxBindings) {
    OnStateChange(this->*Control, [this, Handler = Handler] { (this->*Handler)(); });
  }
  // Export follows save; a capture cannot be opened while the analyser loops.
  connect(Sauvegarder1, &QAction::changed, this, [this] { CaptureFiles->AnalyserChanged(); });
  connect(SpeedButton24, &QToolButton::toggled, this,
          [this](bool Looping) { Ouvrirunecapture1->setEnabled(!Looping); });
  OnPositionChange(TrackBar1, [this] { TrackBar1Change(); });
  OnPositionChange(ScrollBar1, [this] { ScrollBar1Change(); });
  connect(Image2, &TPictureBox::MousePressed, this,
          [this](int X, int Y) { RunHandler([&] { Image2MouseDown(X, Y); }); });
  connect(Image2, &TPictureBox::MouseMoved, this,
          [this](int X, int Y) { RunHandler([&] { Image2MouseMove(X, Y); }); });
  connect(Image2, &TPictureBox::MouseReleased, this,
          [this](int X, int Y) { RunHandler([&] { Image2MouseUp(X, Y); }); });
  connect(Image2, &TPictureBox::WheelTurned, this,
          [this](int Delta) { RunHandler([&] { Image2MouseWheel(Delta); }); });
  connect(Timer1, &QTimer::timeout, this, [this] { RunHandler([this] { Timer1Timer(); }); });
}
