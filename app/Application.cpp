#include "app/Application.h"

#include <QDebug>
#include <QProxyStyle>
#include <QStyleFactory>
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
