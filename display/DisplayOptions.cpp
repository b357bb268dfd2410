// SPDX-License-Identifier: GPL-3.0-or-later
// The two display options of the Options menu. Each item toggles its own
// check mark when chosen; neither redraws: the choice shows at the next
// drawing.
#include <QAction>

#include "app/Form1.h"

void TForm1::Afficherfrontsmontantsetdescendants1Click() {}

void TForm1::Indicateurs116ouD0D151Click() {
  // One character, not a choice of two literals: GCC 12 warns wrongly about
  // the copy of the latter when optimising.
  Settings.IndicatorSetting().assign(1, Indicateurs116ouD0D151->isChecked() ? '1' : '0');
  SaveSettings();
}
