#include "app/QtEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

#include "app/Settings.h"
#include "app/SimulatedMachine.h"
#include "app/SystemFolders.h"
#include "link/SystemHidPlatform.h"

namespace {
QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) {
    Folder += QLatin1Char('/');
  }
  return Folder;
}

// Boxes belong to the window the user is working in, when there is one.
QWidget* BoxOwner() {
  return QApplication::activeWindow();
}

void ShowBox(QMessageBox::Icon Icon, const QString& Title, const QString& Message) {
  QMessageBox Box(Icon, Title, Message, QMessageBox::NoButton, BoxOwner());
  Box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  Box.exec();
}
}  // namespace

TQtEnvironment::TQtEnvironment(THidBackend Backend)
    : InInstallFolder(SystemInstalledProgramFolder(ProgramFolder())) {
  if (Backend == THidBackend::Simulated) {
    Simulation = std::make_unique<TSimulatedMachine>();
  } else {
    Platform = MakeSystemHidPlatform();
  }
}

TQtEnvironment::~TQtEnvironment() = default;

QString TQtEnvironment::ProgramFolder() const {
  return WithSeparator(QCoreApplication::applicationDirPath());
}

QString TQtEnvironment::UserDataFolder() const {
  return SystemUserDataFolder();
}

bool TQtEnvironment::Installed() const {
  return InInstallFolder;
}

QDateTime TQtEnvironment::Now() const {
  return QDateTime::currentDateTime();
}

void TQtEnvironment::ShowError(const QString& Message) {
  ShowBox(QMessageBox::Critical, QStringLiteral("Erreur"), Message);
}

void TQtEnvironment::ShowInformation(const QString& Message) {
  ShowBox(QMessageBox::Information, QStringLiteral("Information"), Message);
}

bool TQtEnvironment::AskYesNo(const QString& Message) {
  QMessageBox Box(QMessageBox::Warning, QStringLiteral("Avertissement"), Message,
                  QMessageBox::NoButton, BoxOwner());
  QPushButton* Yes = Box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
  QPushButton* No = Box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
  Box.setDefaultButton(Yes);
  Box.setEscapeButton(No);
  Box.exec();
  return Box.clickedButton() == Yes;
}

void TQtEnvironment::Beep() {
  QApplication::beep();
}

void TQtEnvironment::OpenUrl(const QString& Url) {
  QDesktopServices::openUrl(QUrl(Url));
}

QString TQtEnvironment::AskSaveFileName(const TSaveDialogRequest& Request,
                                        const std::function<void(const QString&)>& FolderEntered) {
  QFileDialog Dialog(BoxOwner());
  // Qt's own dialog reports every folder entered; the desktop's may not. The
  // caller asks about overwriting.
  Dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  Dialog.setAcceptMode(QFileDialog::AcceptSave);
  Dialog.setFileMode(QFileDialog::AnyFile);
  Dialog.setNameFilter(Request.Filter);
  Dialog.setDefaultSuffix(Request.DefaultSuffix);
  Dialog.setDirectory(Request.InitialFolder.isEmpty() ? SystemDefaultSaveFolder()
                                                      : Request.InitialFolder);
  Dialog.selectFile(Request.ProposedName);
  QString Shown = Dialog.directory().absolutePath();
  QObject::connect(&Dialog, &QFileDialog::directoryEntered, &Dialog,
                   [&Shown, &FolderEntered](const QString& Folder) {
                     Shown = QDir(Folder).absolutePath();
                     FolderEntered(Shown);
                   });
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) {
    return {};
  }
  const QString Chosen = Dialog.selectedFiles().constFirst();
  // A path typed into the name box also takes the user to its folder.
  const QString ChosenFolder = QFileInfo(Chosen).absolutePath();
  if (ChosenFolder != Shown) {
    FolderEntered(ChosenFolder);
  }
  return Chosen;
}

bool TQtEnvironment::ChoosePrinter(QPrinter& Printer) {
  QPrintDialog Dialog(&Printer, BoxOwner());
  return Dialog.exec() == QDialog::Accepted;
}

void TQtEnvironment::CopyImage(const QImage& Picture) {
  QGuiApplication::clipboard()->setImage(Picture);
}

THidPlatform& TQtEnvironment::HidPlatform() {
  if (Simulation) {
    return Simulation->Platform();
  }
  return *Platform;
}

void TQtEnvironment::Terminate() {
  QCoreApplication::exit(0);
}
