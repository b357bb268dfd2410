#include "app/QtEnvironment.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/SimulatedMachine.h"
#include "link/LinuxHidPlatform.h"

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

TQtEnvironment::TQtEnvironment(THidBackend Backend) {
  if (Backend == THidBackend::Simulated) {
    Simulation = std::make_unique<TSimulatedMachine>();
  } else {
    Platform = std::make_unique<TLinuxHidPlatform>();
  }
}

TQtEnvironment::~TQtEnvironment() = default;

QString TQtEnvironment::ProgramFolder() const {
  return WithSeparator(QCoreApplication::applicationDirPath());
}

QString TQtEnvironment::UserDataFolder() const {
  QString Base = qEnvironmentVariable("XDG_DATA_HOME");
  if (Base.isEmpty() || QDir::isRelativePath(Base)) {
    Base = QDir::homePath() + QStringLiteral("/.local/share");
  }
  return WithSeparator(Base) + QStringLiteral("la16/");
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

THidPlatform& TQtEnvironment::HidPlatform() {
  if (Simulation) {
    return Simulation->Platform();
  }
  return *Platform;
}

void TQtEnvironment::Terminate() {
  QCoreApplication::exit(0);
}
