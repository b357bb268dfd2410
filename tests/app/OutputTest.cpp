// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/Application.h"
#include "app/ExportFileName.h"
#include "app/QtEnvironment.h"
#include "app/Settings.h"
#include "app/TraceOutput.h"
#include "display/PictureBox.h"
#include "display/SnapshotFile.h"
#include "display/TraceGeometry.h"
#include "tests/app/PdfPages.h"
#include "tests/support/FormHarness.h"

namespace {
using TBoxKind = TFakeEnvironment::TBoxKind;

const QString OverwriteQuestion =
    QStringLiteral("Le nom du fichier existe déjà. Voulez-vous l'écraser ?");

// A picture no drawing of the program makes by chance: every pixel differs
// from its neighbours, in every channel.
QImage Pattern(int Seed) {
  QImage Picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
  for (int Y = 0; Y < Picture.height(); ++Y) {
    for (int X = 0; X < Picture.width(); ++X) {
      Picture.setPixel(X, Y, qRgb((X + Seed) % 256, (Y * 3 + Seed) % 256, (X ^ Y) % 256));
    }
  }
  return Picture;
}

QByteArray FileBytes(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// The window after a halt: the picture shown, save, print and copy enabled.
class Output : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Harness.StartShown();
    Harness.Environment.Clock = QDateTime(QDate(2026, 3, 1), QTime(9, 7, 5));
    Form->State.ClockStamp = MakeClockStamp(Harness.Environment.Clock);
    Form->Image2->Picture() = Pattern(0);
    ASSERT_TRUE(SaveDir.isValid());
  }
  QString ProgramFolder() const { return Harness.ProgramDir.path() + QStringLiteral("/"); }
  QString Saved(const char* Name) const { return SaveDir.filePath(QString::fromUtf8(Name)); }
  std::string SavedFolderLine() const {
    return ParseSettings(Harness.SettingsFileBytes()).SaveFolder();
  }
  TFormHarness Harness;
  TForm1* Form = nullptr;
  QTemporaryDir SaveDir;
};

// ---- Save ----

TEST_F(Output, SaveDialogOffersBmpTheSaveFolderAndTheStampsName) {
  Form->Settings.SaveFolder() = SettingsPathLine(SaveDir.path());
  Form->Sauvegarder1Click();
  ASSERT_EQ(Harness.Environment.SaveDialogs.size(), 1U);
  const TSaveDialogRequest& Request = Harness.Environment.SaveDialogs[0];
  EXPECT_EQ(Request.Filter, QStringLiteral("BMP (*.bmp)"));
  EXPECT_EQ(Request.InitialFolder, QDir::toNativeSeparators(SaveDir.path()));
  EXPECT_EQ(Request.ProposedName, QStringLiteral("Trace_1_3_2026__9_07_05"));
  EXPECT_EQ(Request.DefaultSuffix, QStringLiteral("bmp"));
  EXPECT_EQ(Request.Title, QStringLiteral("Enregistrer sous"));
  EXPECT_TRUE(QDir(SaveDir.path()).isEmpty());  // cancelled: nothing written
}

TEST_F(Output, SavedFileIsTheVisiblePicturePixelForPixelIn24Bits) {
  Harness.Environment.SaveDialogVisits = {SaveDir.path()};
  Harness.Environment.SaveDialogAccepts = true;
  Form->Sauvegarder1Click();
  const QString Path = Saved("Trace_1_3_2026__9_07_05.bmp");
  const QByteArray Bytes = FileBytes(Path);
  ASSERT_GT(Bytes.size(), 54);
  EXPECT_EQ(Bytes[28], 24);  // bits per pixel
  QImage Read;
  ASSERT_TRUE(Read.loadFromData(Bytes, "BMP"));
  EXPECT_EQ(Read.convertToFormat(QImage::Format_RGB32), Form->Image2->Picture());
  EXPECT_TRUE(Harness.Environment.Messages(TBoxKind::YesNo).empty());
}

TEST_F(Output, SecondSaveInTheSameSecondAsksAndANoKeepsTheFirstFile) {
  Harness.Environment.SaveDialogVisits = {SaveDir.path()};
  Harness.Environment.SaveDialogAccepts = true;
  Form->Sauvegarder1Click();
  const QString Path = Saved("Trace_1_3_2026__9_07_05.bmp");
  const QByteArray First = FileBytes(Path);

  Form->Image2->Picture() = Pattern(77);
  Harness.Environment.YesNoAnswer = false;
  Form->Sauvegarder1Click();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::YesNo), std::vector<QString>{OverwriteQuestion});
  EXPECT_EQ(FileBytes(Path), First);
  EXPECT_EQ(QDir(SaveDir.path()).entryList(QDir::Files).size(), 1);  // no stray file

  Harness.Environment.YesNoAnswer = true;
  Form->Sauvegarder1Click();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::YesNo).size(), 2U);
  EXPECT_EQ(FileBytes(Path), EncodeBmp24(Pattern(77)));
}

TEST_F(Output, ANameTypedWithoutExtensionGetsBmpAndIsCheckedUnderThatName) {
  Harness.Environment.SaveDialogVisits = {SaveDir.path()};
  Harness.Environment.SaveDialogAccepts = true;
  Harness.Environment.SaveDialogTypedName = QStringLiteral("mesure");
  Form->Sauvegarder1Click();
  EXPECT_TRUE(QFile::exists(Saved("mesure.bmp")));
  EXPECT_FALSE(QFile::exists(Saved("mesure")));
  Form->Sauvegarder1Click();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::YesNo).size(), 1U);
}

TEST_F(Output, AFolderVisitedThenCancelledIsSavedAndOpensTheNextDialog) {
  const QString Other = SaveDir.filePath(QStringLiteral("autre"));
  ASSERT_TRUE(QDir().mkpath(Other));
  Harness.Environment.SaveDialogVisits = {SaveDir.path(), Other};
  Form->Sauvegarder1Click();
  EXPECT_EQ(SavedFolderLine(), SettingsPathLine(Other));
  EXPECT_EQ(Form->Settings.SaveFolder(), SettingsPathLine(Other));

  Harness.Environment.SaveDialogVisits.clear();
  Form->Sauvegarder1Click();
  ASSERT_EQ(Harness.Environment.SaveDialogs.size(), 2U);
  EXPECT_EQ(Harness.Environment.SaveDialogs[1].InitialFolder, QDir::toNativeSeparators(Other));
  // Only line 4 changed.
  TSettings Expected = Form->Settings;
  EXPECT_EQ(ParseSettings(Harness.SettingsFileBytes()), Expected);
}

TEST_F(Output, AFolderWithAnAccentIsKeptAsTheSystemsPathBytes) {
  const QString Accented = SaveDir.filePath(QStringLiteral("Mesures été"));
  ASSERT_TRUE(QDir().mkpath(Accented));
  Harness.Environment.SaveDialogVisits = {Accented};
  Form->Sauvegarder1Click();
  Harness.Environment.SaveDialogVisits.clear();
  Form->Sauvegarder1Click();
  EXPECT_EQ(Harness.Environment.SaveDialogs[1].InitialFolder, QDir::toNativeSeparators(Accented));
}

TEST_F(Output, ASettingsFileThatCannotBeWrittenIsReportedAndTheSaveGoesOn) {
  Harness.Environment.SaveDialogVisits = {SaveDir.path()};
  Harness.Environment.SaveDialogAccepts = true;
  ASSERT_TRUE(Harness.ProgramDir.remove());
  Form->Sauvegarder1Click();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::Error).size(), 1U);
  EXPECT_EQ(Form->Settings.SaveFolder(), SettingsPathLine(SaveDir.path()));
  EXPECT_TRUE(QFile::exists(Saved("Trace_1_3_2026__9_07_05.bmp")));
}

TEST_F(Output, AFileThatCannotBeWrittenThrowsAndLeavesNothing) {
  const std::string Settings = Harness.SettingsFileBytes();
  Harness.Environment.SaveDialogAccepts = true;
  Harness.Environment.SaveDialogTypedName = SaveDir.filePath(QStringLiteral("absent/trace.bmp"));
  EXPECT_THROW(Form->Sauvegarder1Click(), TFileWriteError);
  EXPECT_TRUE(QDir(SaveDir.path()).isEmpty());
  EXPECT_EQ(Form->Settings.SaveFolder(), "");
  EXPECT_EQ(Harness.SettingsFileBytes(), Settings);
}

TEST_F(Output, ANameTypedWithItsPathOpensTheNextDialogInThatFolderOnceWritten) {
  const QString Other = SaveDir.filePath(QStringLiteral("autre"));
  ASSERT_TRUE(QDir().mkpath(Other));
  Harness.Environment.SaveDialogAccepts = true;
  Harness.Environment.SaveDialogTypedName = Other + QStringLiteral("/trace.bmp");
  Form->Sauvegarder1Click();
  ASSERT_TRUE(QFile::exists(Harness.Environment.SaveDialogTypedName));
  EXPECT_EQ(SavedFolderLine(), SettingsPathLine(Other));
}

// ---- Print ----

class Printing : public Output {
 protected:
  void SetUp() override {
    Output::SetUp();
    PdfPath = SaveDir.filePath(QStringLiteral("page.pdf"));
    Snapshot = Pattern(5);
  }
  void WriteSnapshot() const { WriteSnapshotFile(Snapshot, ProgramFolder()); }
  void PrintAt(int Resolution) {
    Harness.Environment.PrintPdfPath = PdfPath;
    Harness.Environment.PrintResolution = Resolution;
    Form->Imprimer1Click();
  }
  // The printable area of the landscape page the program prints on.
  static QRect PrintableArea(int Resolution) {
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setResolution(Resolution);
    Printer.setPageOrientation(QPageLayout::Landscape);
    return Printer.pageLayout().paintRectPixels(Resolution);
  }
  static void ExpectPlace(const QRectF& Place, const QRectF& Expected) {
    EXPECT_NEAR(Place.left(), Expected.left(), 0.05);
    EXPECT_NEAR(Place.top(), Expected.top(), 0.05);
    EXPECT_NEAR(Place.width(), Expected.width(), 0.05);
    EXPECT_NEAR(Place.height(), Expected.height(), 0.05);
  }
  QString PdfPath;
  QImage Snapshot;
};

TEST_F(Printing, At1200DpiTheSnapshotIsSevenTimesLargeFromATenPixelMargin) {
  WriteSnapshot();
  PrintAt(1200);
  const TPdfPages Pages = ReadPdfPages(PdfPath);
  EXPECT_EQ(Pages.PageCount, 1);
  EXPECT_GT(Pages.PageSize.width(), Pages.PageSize.height());  // landscape
  ASSERT_EQ(Pages.Pictures.size(), 1U);
  ExpectPlace(Pages.Pictures[0].Place, QRectF(10, 10, 6580, 3640));
  EXPECT_EQ(Pages.Pictures[0].Pixels, Snapshot);
}

TEST_F(Printing, At300DpiTheSnapshotIsScaledDownToFitThePage) {
  WriteSnapshot();
  PrintAt(300);
  const TPdfPages Pages = ReadPdfPages(PdfPath);
  ASSERT_EQ(Pages.Pictures.size(), 1U);
  const QRect Area = PrintableArea(300);
  const QRectF Place = Pages.Pictures[0].Place;
  ExpectPlace(Place, PrintTarget(QSize(940, 520), Area.size()));
  EXPECT_LE(Place.right(), Area.width() - 10 + 0.05);
  EXPECT_LE(Place.bottom(), Area.height() - 10 + 0.05);
  EXPECT_NEAR(Place.width() / Place.height(), 940.0 / 520.0, 0.002);
  EXPECT_GT(Place.width(), Area.width() - 21);  // as large as the page allows
  EXPECT_EQ(Pages.Pictures[0].Pixels, Snapshot);
}

TEST_F(Printing, PrintsTheSnapshotAndLeavesTheTracePicturesAlone) {
  WriteSnapshot();
  const QImage Visible = Form->Image2->Picture();
  const QImage Back = Form->Image1->Picture();
  PrintAt(1200);
  const TPdfPages Pages = ReadPdfPages(PdfPath);
  ASSERT_EQ(Pages.Pictures.size(), 1U);
  EXPECT_EQ(Pages.Pictures[0].Pixels, Snapshot);
  EXPECT_NE(Pages.Pictures[0].Pixels, Visible);
  EXPECT_EQ(Form->Image2->Picture(), Visible);
  EXPECT_EQ(Form->Image1->Picture(), Back);
}

TEST_F(Printing, WithoutASnapshotTheErrorNamesTheFileAndNothingIsPrinted) {
  try {
    PrintAt(1200);
    ADD_FAILURE() << "printed without a snapshot";
  } catch (const std::runtime_error& Error) {
    const std::string Message = Error.what();
    EXPECT_NE(
        Message.find(QDir::toNativeSeparators(SnapshotFilePath(ProgramFolder())).toStdString()),
        std::string::npos)
        << Message;
    EXPECT_NE(Message.find("Aucun fichier ou dossier de ce nom"), std::string::npos) << Message;
  }
  EXPECT_EQ(Harness.Environment.PrinterDialogs, 1);
  EXPECT_FALSE(QFile::exists(PdfPath));
}

TEST_F(Printing, TheErrorBoxShowsWhenTheToolButtonIsClicked) {
  auto* Application = static_cast<TApplication*>(QCoreApplication::instance());
  Application->SetEnvironment(&Harness.Environment);
  Form->ToolButton2->setEnabled(true);
  Harness.Environment.PrintPdfPath = PdfPath;
  QTest::mouseClick(Form->ToolButton2, Qt::LeftButton);
  Application->SetEnvironment(nullptr);
  const std::vector<QString> Errors = Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].contains(QDir::toNativeSeparators(SnapshotFilePath(ProgramFolder()))))
      << Errors[0].toStdString();
  EXPECT_FALSE(QFile::exists(PdfPath));
}

TEST_F(Printing, CancellingThePrinterDialogPrintsNothing) {
  WriteSnapshot();
  Form->Imprimer1Click();
  EXPECT_EQ(Harness.Environment.PrinterDialogs, 1);
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  EXPECT_FALSE(QFile::exists(PdfPath));
}

TEST_F(Printing, ASnapshotThatIsNoBitmapIsReportedAndNothingIsPrinted) {
  QFile File(SnapshotFilePath(ProgramFolder()));
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  File.write("BM not really a bitmap");
  File.close();
  EXPECT_THROW(PrintAt(1200), std::runtime_error);
  EXPECT_FALSE(QFile::exists(PdfPath));
}

// ---- Copy ----

TEST_F(Output, CopyPutsTheVisiblePictureOnTheClipboardThenConfirms) {
  Form->Copier1Click();
  ASSERT_EQ(Harness.Environment.Clipboard.size(), 1U);
  EXPECT_EQ(Harness.Environment.Clipboard[0], Pattern(0));
  EXPECT_EQ(
      Harness.Environment.Messages(TBoxKind::Information),
      std::vector<QString>{QStringLiteral("Les traces ont été copiées dans le presse papier...")});
}

TEST_F(Output, MenuItemsAndToolButtonsRunTheSameCommands) {
  for (QAction* Item : {Form->Copier1, Form->Sauvegarder1}) {
    Item->setEnabled(true);
    Item->trigger();
  }
  for (QToolButton* Button : {Form->ToolButton5, Form->ToolButton3}) {
    Button->setEnabled(true);
    QTest::mouseClick(Button, Qt::LeftButton);
  }
  EXPECT_EQ(Harness.Environment.Clipboard.size(), 2U);
  EXPECT_EQ(Harness.Environment.SaveDialogs.size(), 2U);
}

// ---- The real environment's dialogs and clipboard ----

TEST(QtEnvironmentOutput, ClipboardHoldsThePicture) {
  TQtEnvironment Environment;
  const QImage Picture = Pattern(9);
  Environment.CopyImage(Picture);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Picture);
}

class QtSaveDialog : public testing::Test {
 protected:
  // Runs Act on the save dialog once it is open.
  QString Run(const std::function<void(QFileDialog&)>& Act) {
    QTimer::singleShot(0, [&] {
      auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (Dialog == nullptr) {
        ADD_FAILURE() << "no save dialog";
        return;
      }
      Act(*Dialog);
    });
    const TSaveDialogAnswer Answer = Environment.AskSaveFileName(
        Request, [this](const QString& Path) { Entered.push_back(Path); });
    Picked = Answer.Filter;
    return Answer.Path;
  }
  QTemporaryDir Folder;
  TSaveDialogRequest Request{QStringLiteral("BMP (*.bmp)"), Folder.path(),
                             QStringLiteral("Trace_1_3_2026__9_07_05"), QStringLiteral("bmp"),
                             QString()};
  QString Picked;
  TQtEnvironment Environment;
  std::vector<QString> Entered;
};

TEST_F(QtSaveDialog, OpensInTheFolderWithTheFilterAndTheProposedName) {
  bool Seen = false;
  const QString Chosen = Run([&](QFileDialog& Dialog) {
    Seen = true;
    EXPECT_EQ(Dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(Dialog.nameFilters(), QStringList{QStringLiteral("BMP (*.bmp)")});
    EXPECT_EQ(Dialog.directory().absolutePath(), QDir(Folder.path()).absolutePath());
    EXPECT_TRUE(Dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(Dialog.selectedFiles().value(0),
              QDir(Folder.path()).absoluteFilePath(QStringLiteral("Trace_1_3_2026__9_07_05.bmp")));
    Dialog.reject();
  });
  EXPECT_TRUE(Seen);
  EXPECT_TRUE(Chosen.isEmpty());
  EXPECT_TRUE(Entered.empty());
}

TEST_F(QtSaveDialog, EveryFolderEnteredIsReportedEvenWhenCancelled) {
  const QString Sub = Folder.filePath(QStringLiteral("sous-dossier"));
  ASSERT_TRUE(QDir().mkpath(Sub));
  const QString Chosen = Run([&](QFileDialog& Dialog) {
    Q_EMIT Dialog.directoryEntered(Sub);
    Q_EMIT Dialog.directoryEntered(Folder.path());
    Dialog.reject();
  });
  EXPECT_TRUE(Chosen.isEmpty());
  EXPECT_EQ(Entered, (std::vector<QString>{Sub, QDir(Folder.path()).absolutePath()}));
}

TEST_F(QtSaveDialog, AFolderTypedIntoTheNameBoxIsReportedAFileTypedWithItsPathIsNot) {
  const QString Sub = Folder.filePath(QStringLiteral("sous-dossier"));
  const QString Other = Folder.filePath(QStringLiteral("autre"));
  ASSERT_TRUE(QDir().mkpath(Sub));
  ASSERT_TRUE(QDir().mkpath(Other));
  const QString Chosen = Run([&](QFileDialog& Dialog) {
    auto* Name = Dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(Name, nullptr);
    // Enter on a folder's path takes the dialog there; on a file's, it ends.
    for (const QString& Typed : {Sub, Other + QStringLiteral("/essai")}) {
      Name->setText(Typed);
      QTest::keyClick(Name, Qt::Key_Return);
    }
  });
  EXPECT_EQ(Chosen, Other + QStringLiteral("/essai.bmp"));
  EXPECT_EQ(Entered, std::vector<QString>{Sub});
}

TEST_F(QtSaveDialog, ANameTypedWithoutAnExtensionTakesTheTypePickedUnderTheRequestsTitle) {
  Request = {QString::fromUtf8(ExportDialogFilters), Folder.path(), QString(), QStringLiteral("sr"),
             QStringLiteral("Exporter les données")};
  const QString Chosen = Run([&](QFileDialog& Dialog) {
    EXPECT_EQ(Dialog.windowTitle(), Request.Title);
    auto* Types = Dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* Name = Dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(Types != nullptr && Name != nullptr);
    QTest::keyClick(Types, Qt::Key_End);  // the last type, as the user picks it
    Name->setText(QStringLiteral("essai"));
    QTest::keyClick(Name, Qt::Key_Return);
  });
  EXPECT_EQ(Chosen, QDir(Folder.path()).absoluteFilePath(QStringLiteral("essai.csv")));
  EXPECT_EQ(Picked, QStringLiteral("CSV (*.csv)"));
}

}  // namespace
