#include "app/Application.h"

#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <exception>

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
}  // namespace

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  setStyle(new TCompactStyle);
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
  } catch (const std::exception& Error) {
    ReportError(QString::fromUtf8(Error.what()));
  } catch (...) {
    ReportError(QStringLiteral("Erreur inconnue."));
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
