// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, by their designer names: built by the form
// (app/Form1Layout.cpp, app/Form1Groups.cpp) and owned by Qt as its
// children. Public so that the handlers of every subsystem and the tests
// reach them.
#pragma once

#include <array>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;
class QToolButton;
class QWidget;
class TPictureBox;
class TPictureControl;
class TPlugAnimation;
class TStatusBar;

struct TForm1Controls {
  QMenu* Fichier1 = nullptr;
  QAction* Ouvrirunecapture1 = nullptr;
  QAction* Sauvegarder1 = nullptr;
  QAction* Exporterlesdonnes1 = nullptr;
  QAction* Imprimer1 = nullptr;
  QAction* N1 = nullptr;  // separator
  QAction* Quitter2 = nullptr;
  QMenu* Edition1 = nullptr;
  QAction* Copier1 = nullptr;
  QMenu* Options1 = nullptr;
  QAction* RglagedelavitessedevotrePC1 = nullptr;
  QAction* Afficherfrontsmontantsetdescendants1 = nullptr;
  QAction* Indicateurs116ouD0D151 = nullptr;
  QMenu* Aide1 = nullptr;
  QAction* Aide2 = nullptr;
  QAction* Aproposde1 = nullptr;

  QFrame* ToolBar1 = nullptr;
  QWidget* ToolBar2 = nullptr;
  QToolButton* ToolButton1 = nullptr;   // PC speed
  QToolButton* ToolButton2 = nullptr;   // print
  QToolButton* ToolButton3 = nullptr;   // save
  QToolButton* ToolButton5 = nullptr;   // copy
  QToolButton* ToolButton6 = nullptr;   // quit
  QToolButton* ToolButton7 = nullptr;   // online guide
  QToolButton* ToolButton12 = nullptr;  // export
  QFrame* ToolButton4 = nullptr;        // separators
  QFrame* ToolButton8 = nullptr;
  QFrame* ToolButton9 = nullptr;
  QFrame* ToolButton10 = nullptr;
  QFrame* ToolButton11 = nullptr;

  QFrame* Panel1 = nullptr;       // trace area
  TPictureBox* Image1 = nullptr;  // back buffer, hidden
  TPictureBox* Image2 = nullptr;  // visible picture
  QFrame* Panel3 = nullptr;       // plug-in panel
  QLabel* Image12 = nullptr;
  TPlugAnimation* Animate1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QFrame* Panel5 = nullptr;  // PC speed panel
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QToolButton* SpeedButton27 = nullptr;
  QFrame* Panel4 = nullptr;  // hidden
  QLabel* Label5 = nullptr;

  QToolButton* SpeedButton1 = nullptr;  // scroll row
  QToolButton* SpeedButton2 = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QToolButton* SpeedButton4 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;

  QGroupBox* GroupBox1 = nullptr;                  // time base
  std::array<QToolButton*, 18> TimeBaseButtons{};  // SpeedButton5..22, in TimeBaseIndex order
  QToolButton* SpeedButton5 = nullptr;
  QToolButton* SpeedButton6 = nullptr;
  QToolButton* SpeedButton7 = nullptr;
  QToolButton* SpeedButton8 = nullptr;
  QToolButton* SpeedButton9 = nullptr;
  QToolButton* SpeedButton10 = nullptr;
  QToolButton* SpeedButton11 = nullptr;
  QToolButton* SpeedButton12 = nullptr;
  QToolButton* SpeedButton13 = nullptr;
  QToolButton* SpeedButton14 = nullptr;
  QToolButton* SpeedButton15 = nullptr;
  QToolButton* SpeedButton16 = nullptr;
  QToolButton* SpeedButton17 = nullptr;
  QToolButton* SpeedButton18 = nullptr;
  QToolButton* SpeedButton19 = nullptr;
  QToolButton* SpeedButton20 = nullptr;
  QToolButton* SpeedButton21 = nullptr;
  QToolButton* SpeedButton22 = nullptr;

  QGroupBox* GroupBox2 = nullptr;        // acquisition
  QToolButton* SpeedButton23 = nullptr;  // halt
  QToolButton* SpeedButton24 = nullptr;  // loop
  QToolButton* SpeedButton25 = nullptr;  // single
  TPictureControl* Image7 = nullptr;     // upper lamp, unlit
  TPictureControl* Image8 = nullptr;     // lower lamp, lit
  TPictureControl* Image9 = nullptr;     // upper lamp, lit
  TPictureControl* Image10 = nullptr;    // lower lamp, unlit

  QGroupBox* GroupBox3 = nullptr;  // trigger
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* Image4 = nullptr;
  QLabel* Image5 = nullptr;
  QLabel* Image6 = nullptr;
  std::array<QCheckBox*, 8> CheckBoxes{};  // CheckBox1..8 in order
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QCheckBox* CheckBox7 = nullptr;
  QCheckBox* CheckBox8 = nullptr;
  QToolButton* SpeedButton28 = nullptr;  // all
  QToolButton* SpeedButton29 = nullptr;  // none
  QFrame* Panel2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;

  QGroupBox* GroupBox5 = nullptr;  // pull
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;

  QGroupBox* GroupBox4 = nullptr;  // measure
  QToolButton* SpeedButton26 = nullptr;

  QFrame* Panel6 = nullptr;  // start prompt
  QLabel* Image11 = nullptr;

  TStatusBar* StatusBar1 = nullptr;
  QTimer* Timer1 = nullptr;
};
