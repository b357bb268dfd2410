// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <exception>
#include <utility>

#include "app/Environment.h"

namespace {
// The common style with the narrow gap between a radio button or check box
// and its caption that the window's layout was made for.
class TCompactStyle : public QProxyStyle {
 public:
  TCompactStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  int pixelMetric(PixelMetric Metric, const QStyleOption* Option,
                  const QWidget* Widget) const override {
    if (Metric == PM_RadioButtonLabelSpacing || Metric == PM_CheckBoxLabelSpacing) {
      return 3;
    }
    return QProxyStyle::pixelMetric(Metric, Option, Widget);
  }
};

// Where the innermost CarryHandlerErrors keeps the error of a handler it set
// off; null when handlers show their own errors.
std::exception_ptr* CarriedError = nullptr;

QString MessageOf(const std::exception_ptr& Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const std::exception& Caught) {
    return QString::fromUtf8(Caught.what());
  } catch (...) {
    return QStringLiteral("Erreur inconnue.");
  }
}

void Report(const std::exception_ptr& Error) {
  if (auto* Application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
    Application->ReportError(MessageOf(Error));
  } else {
    qWarning().noquote() << MessageOf(Error);
  }
}
}  // namespace

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  setStyle(new TCompactStyle);
  // The desktop entry the window belongs to (its name and icon on Wayland).
  setDesktopFileName(QStringLiteral("la16"));
  // Qt's own dialogs (save, print) speak French like the rest of the program;
  // without the translations they stay in English.
  auto* QtFrench = new QTranslator(this);
  if (QtFrench->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(QtFrench);
  }
}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    ReportError(MessageOf(std::current_exception()));
  }
  return false;
}

void TApplication::ReportError(const QString& Message) {
  if (ErrorBoxes != nullptr) {
    ErrorBoxes->ShowError(Message);
  } else {
    qWarning().noquote() << Message;
  }
}

void RunHandler(const std::function<void()>& Handler) {
  // Handlers this one sets off show their own errors unless it carries them.
  std::exception_ptr* const Carrier = std::exchange(CarriedError, nullptr);
  try {
    Handler();
  } catch (...) {
    if (Carrier == nullptr) {
      Report(std::current_exception());
    } else if (!*Carrier) {
      *Carrier = std::current_exception();
    }
  }
  CarriedError = Carrier;
}

void CarryHandlerErrors(const std::function<void()>& Call) {
  std::exception_ptr Carried;
  std::exception_ptr* const Outer = std::exchange(CarriedError, &Carried);
  try {
    Call();
  } catch (...) {
    CarriedError = Outer;
    throw;
  }
  CarriedError = Outer;
  if (Carried) {
    std::rethrow_exception(Carried);
  }
}
