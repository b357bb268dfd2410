// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProcess>
#include <QStandardPaths>
#include <memory>
#include <utility>

#include "app/ShellOpen.h"

void ShellOpen(const QString& Url, QObject& Owner, std::function<void()> Failed) {
  const QString Opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (Opener.isEmpty()) {
    if (Failed) {
      Failed();
    }
    return;
  }
  auto* Process = new QProcess(&Owner);
  Process->setProgram(Opener);
  Process->setArguments({Url});
  // xdg-open may run the browser itself: nothing of it is read, so nothing
  // it writes can block it or break on a closed pipe.
  Process->setStandardInputFile(QProcess::nullDevice());
  Process->setStandardOutputFile(QProcess::nullDevice());
  Process->setStandardErrorFile(QProcess::nullDevice());
  auto Answered = std::make_shared<std::function<void()>>(std::move(Failed));
  QObject::connect(Process, &QProcess::finished, &Owner,
                   [Process, Answered](int Code, QProcess::ExitStatus Status) {
                     Process->deleteLater();
                     if ((Status != QProcess::NormalExit || Code != 0) && *Answered) {
                       (*Answered)();
                     }
                   });
  QObject::connect(Process, &QProcess::errorOccurred, &Owner,
                   [Process, Answered](QProcess::ProcessError Error) {
                     if (Error == QProcess::FailedToStart) {
                       Process->deleteLater();
                       if (*Answered) {
                         (*Answered)();
                       }
                     }
                   });
  // A browser xdg-open still runs at the end is the user's: xdg-open alone
  // is stopped, without a word.
  QObject::connect(&Owner, &QObject::destroyed, Process, [Process] {
    Process->disconnect();
    Process->kill();
    Process->waitForFinished();
  });
  Process->start();
}
