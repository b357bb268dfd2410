// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include "app/Settings.h"
#include "app/ShellOpen.h"
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

// The extension of a filter's first pattern: "CSV (*.csv)" gives "csv".
QString FilterSuffix(const QString& Filter) {
  static const QRegularExpression Pattern(QStringLiteral("\\(\\*\\.(\\w+)"));
  return Pattern.match(Filter).captured(1);
}

void ShowBox(QMessageBox::Icon Icon, const QString& Title, const QString& Message) {
  QMessageBox Box(Icon, Title, Message, QMessageBox::NoButton, BoxOwner());
  Box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  Box.exec();
}
}  // namespace

TQtEnvironment::TQtEnvironment(THidBackend Backend)
    : InInstallFolder(SystemInstalledProgramFolder(ProgramFolder())),
      Openers(std::make_unique<QObject>()) {
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

void TQtEnvironment::OpenUrl(const QString& Url, const std::function<void()>& Failed) {
  ShellOpen(Url, *Openers, Failed);
}

TSaveDialogAnswer TQtEnvironment::AskSaveFileName(
    const TSaveDialogRequest& Request, const std::function<void(const QString&)>& FolderEntered) {
  QFileDialog Dialog(BoxOwner());
  if (!Request.Title.isEmpty()) {
    Dialog.setWindowTitle(Request.Title);
  }
  // Qt's own dialog reports every folder entered; the desktop's may not. The
  // caller asks about overwriting.
  Dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  Dialog.setAcceptMode(QFileDialog::AcceptSave);
  Dialog.setFileMode(QFileDialog::AnyFile);
  Dialog.setNameFilter(Request.Filter);
  Dialog.setDefaultSuffix(Request.DefaultSuffix);
  // A name typed without an extension takes the type the user picked.
  QObject::connect(
      &Dialog, &QFileDialog::filterSelected, &Dialog,
      [&Dialog](const QString& Filter) { Dialog.setDefaultSuffix(FilterSuffix(Filter)); });
  Dialog.setDirectory(Request.InitialFolder.isEmpty() ? SystemDefaultSaveFolder()
                                                      : Request.InitialFolder);
  Dialog.selectFile(Request.ProposedName);
  QString Shown = Dialog.directory().absolutePath();
  const auto Show = [&Shown, &FolderEntered](const QString& Folder) {
    const QString Absolute = QDir(Folder).absolutePath();
    if (Absolute != Shown) {
      Shown = Absolute;
      FolderEntered(Shown);
    }
  };
  QObject::connect(&Dialog, &QFileDialog::directoryEntered, &Dialog, Show);
  // A folder typed into the name box or the look-in box is shown without
  // the dialog announcing it: its list's model says so.
  if (auto* Files = Dialog.findChild<QFileSystemModel*>()) {
    QObject::connect(Files, &QFileSystemModel::rootPathChanged, &Dialog, Show);
  }
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) {
    return {};
  }
  return {Dialog.selectedFiles().constFirst(), Dialog.selectedNameFilter()};
}

QString TQtEnvironment::AskOpenFileName(const QString& Filter, const QString& InitialFolder) {
  return QFileDialog::getOpenFileName(BoxOwner(), QString(),
                                      InitialFolder.isEmpty() ? QDir::homePath() : InitialFolder,
                                      Filter, nullptr, QFileDialog::DontUseNativeDialog);
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
