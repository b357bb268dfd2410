// Fonts and painting need an application object; the suites run on the
// offscreen platform so no display is required.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

namespace {

class TGuiEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int Argc = 1;
    static char Name[] = "display_tests";
    static char* Argv[] = {Name, nullptr};
    Application = std::make_unique<QGuiApplication>(Argc, Argv);
  }
  void TearDown() override { Application.reset(); }

 private:
  std::unique_ptr<QGuiApplication> Application;
};

const testing::Environment* const Registered =
    testing::AddGlobalTestEnvironment(new TGuiEnvironment);

}  // namespace
