// Takes the user guide's pictures of the windows as they are now. Run on a
// display (scripts/guide-screenshots starts one under Xvfb):
//   la16-guide-shots FOLDER
// The windows work in a folder of their own, so no settings are touched.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFrame>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/Application.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/QtEnvironment.h"

namespace {

class TShotEnvironment : public TQtEnvironment {
 public:
  explicit TShotEnvironment(QString Folder) : Folder(std::move(Folder)) {}
  QString ProgramFolder() const override { return Folder; }
  QString UserDataFolder() const override { return Folder; }

 private:
  QString Folder;
};

void Settle(int Milliseconds = 300) {
  QEventLoop Loop;
  QTimer::singleShot(Milliseconds, &Loop, &QEventLoop::quit);
  Loop.exec();
}

bool Save(QWidget* Widget, const QString& Path) {
  const bool Saved = Widget->grab().save(Path);
  std::printf("%s %s\n", Saved ? "wrote" : "FAILED", qPrintable(Path));
  return Saved;
}

// Grabs the dialog the next modal loop opens, then closes it.
void GrabNextDialog(const QString& Path, bool& Saved) {
  QTimer::singleShot(600, [Path, &Saved] {
    if (auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      Saved = Save(Dialog, Path);
      Dialog->reject();
    }
  });
}

}  // namespace

int main(int Argc, char** Argv) {
  TApplication Application(Argc, Argv);
  if (Argc != 2) {
    std::fprintf(stderr, "usage: la16-guide-shots FOLDER\n");
    return 2;
  }
  const QDir Out(QString::fromLocal8Bit(Argv[1]));
  QTemporaryDir Work;
  TShotEnvironment Environment(Work.path() + QStringLiteral("/"));
  Application.SetEnvironment(&Environment);
  bool AllSaved = true;

  TForm1 Form1(Environment);
  Form1.show();
  Settle();
  AllSaved &= Save(&Form1, Out.filePath(QStringLiteral("fenetre-attente.png")));

  Form1.Aide1->popup(Form1.mapToGlobal(QPoint(150, 20)));
  Settle();
  AllSaved &= Save(Form1.Aide1, Out.filePath(QStringLiteral("menu-aide.png")));
  Form1.Aide1->hide();

  Form1.Panel3->hide();
  Form1.Panel5->show();
  Settle();
  AllSaved &= Save(Form1.Panel5, Out.filePath(QStringLiteral("vitesse-pc.png")));
  Form1.Panel5->hide();
  Form1.Panel3->show();

  TForm2 Form2(Environment);
  Form1.Form2 = &Form2;
  Form1.Aproposde1Click();
  Settle();
  AllSaved &= Save(&Form2, Out.filePath(QStringLiteral("a-propos.png")));
  Form2.Image1Click();

  bool Saved = false;
  GrabNextDialog(Out.filePath(QStringLiteral("sauvegarde.png")), Saved);
  TSaveDialogRequest Request{QStringLiteral("BMP (*.bmp)"), Work.path(),
                             QStringLiteral("Trace_8_12_2026__18_25_09"), QStringLiteral("bmp")};
  Environment.AskSaveFileName(Request, [](const QString&) {});
  AllSaved &= Saved;

  Saved = false;
  GrabNextDialog(Out.filePath(QStringLiteral("impression.png")), Saved);
  QPrinter Printer(QPrinter::HighResolution);
  Printer.setOutputFileName(QStringLiteral("trace.pdf"));
  Environment.ChoosePrinter(Printer);
  AllSaved &= Saved;
  return AllSaved ? 0 : 1;
}
