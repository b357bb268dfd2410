// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "app/Artwork.h"
#include "app/Form2.h"
#include "app/HelpAddresses.h"
#include "app/LabelURL.h"
#include "app/QtEnvironment.h"
#include "app/SystemFolders.h"
#include "tests/support/FormHarness.h"

namespace {

std::vector<TForm2*> VisibleAboutWindows() {
  std::vector<TForm2*> Found;
  for (QWidget* Window : QApplication::topLevelWidgets()) {
    if (auto* About = qobject_cast<TForm2*>(Window); About != nullptr && About->isVisible()) {
      Found.push_back(About);
    }
  }
  return Found;
}

bool OnTop(const QWidget* Window) {
  return Window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void Enter(QWidget* Widget) {
  QEnterEvent Event(QPointF(2, 2), Widget->mapToGlobal(QPointF(2, 2)),
                    Widget->mapToGlobal(QPointF(2, 2)));
  QCoreApplication::sendEvent(Widget, &Event);
}

void Leave(QWidget* Widget) {
  QEvent Event(QEvent::Leave);
  QCoreApplication::sendEvent(Widget, &Event);
}

// The main window with the About window process entry makes.
class About : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Harness.StartShown();
    Window = std::make_unique<TForm2>(Harness.Environment);
    Form->Form2 = Window.get();
  }
  TFormHarness Harness;
  TForm1* Form = nullptr;
  std::unique_ptr<TForm2> Window;
};

TEST_F(About, StartsHiddenFramelessAndOfItsSize) {
  EXPECT_FALSE(Window->isVisible());
  EXPECT_TRUE(Window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(Window->size(), QSize(572, 516));
  EXPECT_EQ(Window->Image1->geometry(), QRect(0, 0, 572, 516));
  EXPECT_FALSE(Window->Image1->pixmap().isNull());
  EXPECT_EQ(Window->Label1->pos(), QPoint(160, 376));
  EXPECT_EQ(Window->LabelURL1->pos(), QPoint(432, 32));
}

TEST_F(About, ShowingTwiceShowsOneWindowOnTopAndLeavesTheMainWindowUsable) {
  Form->Aproposde1->trigger();
  Form->Aproposde1->trigger();
  EXPECT_EQ(VisibleAboutWindows(), std::vector<TForm2*>{Window.get()});
  EXPECT_TRUE(OnTop(Window.get()));
  EXPECT_FALSE(Window->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(About, AClickOnThePictureOrALabelHidesItAndDropsStayOnTop) {
  for (QWidget* Target :
       {static_cast<QWidget*>(Window->Image1), static_cast<QWidget*>(Window->Label1),
        static_cast<QWidget*>(Window->Label2)}) {
    Form->Aproposde1Click();
    ASSERT_TRUE(Window->isVisible());
    QTest::mouseClick(Target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(Window->isVisible()) << Target->objectName().toStdString();
    EXPECT_FALSE(OnTop(Window.get())) << Target->objectName().toStdString();
  }
  // Reopened: on top again, the same window.
  Form->Aproposde1Click();
  EXPECT_EQ(VisibleAboutWindows(), std::vector<TForm2*>{Window.get()});
  EXPECT_TRUE(OnTop(Window.get()));
}

TEST_F(About, TheLinkOpensTheHomePageAndTheWindowStaysOpen) {
  Form->Aproposde1Click();
  std::vector<std::size_t> OpenedBeforeClick;
  QObject::connect(Window->LabelURL1, &TLabelURL::Clicked,
                   [&] { OpenedBeforeClick.push_back(Harness.Environment.OpenedUrls.size()); });
  QTest::mouseClick(Window->LabelURL1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(OpenedBeforeClick, std::vector<std::size_t>{0});  // its own click first
  EXPECT_EQ(Harness.Environment.OpenedUrls, std::vector<QString>{HomePageUrl(Harness.Environment)});
  EXPECT_TRUE(Window->isVisible());
}

TEST_F(About, TheWindowsTextsAndTheLinksFonts) {
  const QStringList Lines = Window->Label1->text().split(QLatin1Char('\n'));
  ASSERT_EQ(Lines.size(), 3);
  EXPECT_EQ(Lines[0], QStringLiteral("  Analyseur logique USB V1.6"));
  EXPECT_EQ(Window->Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_TRUE(Window->Label1->font().bold());
  const TLabelFont Link = Window->LabelURL1->LabelFont();
  EXPECT_TRUE(Link.Face.underline());
  EXPECT_EQ(Link.Color, QColor(Qt::blue));
  EXPECT_EQ(Window->LabelURL1->ActiveFont(), Link);  // hovering changes nothing
  EXPECT_EQ(Window->LabelURL1->URL(), HomePageUrl(Harness.Environment));
}

TEST_F(About, WithoutProcessEntrysWindowTheCommandMakesOneAndKeepsIt) {
  Form->Form2 = nullptr;
  Form->Aproposde1Click();
  TForm2* Made = Form->Form2;
  ASSERT_NE(Made, nullptr);
  Made->Image1Click();
  Form->Aproposde1Click();
  EXPECT_EQ(Form->Form2, Made);
  EXPECT_EQ(VisibleAboutWindows(), std::vector<TForm2*>{Made});
}

// ---- The link label ----

class LinkLabel : public testing::Test {
 protected:
  TFakeEnvironment Environment;
  QWidget Parent;
  TLabelURL* Label = new TLabelURL(Environment, &Parent);
  const TLabelFont Plain{QFont(QStringLiteral("Liberation Serif"), 14), QColor(Qt::darkGreen)};
};

TEST_F(LinkLabel, StartsWithABlueUnderlinedActiveFontAndAPointingHand) {
  QFont Expected;
  Expected.setUnderline(true);
  EXPECT_EQ(Label->ActiveFont(), (TLabelFont{Expected, QColor(Qt::blue)}));
  EXPECT_EQ(Label->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(LinkLabel, TheFontComesBackWhenTheMouseLeaves) {
  Label->SetLabelFont(Plain);
  const TLabelFont Hover{QFont(QStringLiteral("Liberation Sans"), 9), QColor(Qt::red)};
  Label->SetActiveFont(Hover);
  Enter(Label);
  EXPECT_EQ(Label->LabelFont(), Hover);
  Leave(Label);
  EXPECT_EQ(Label->LabelFont(), Plain);
}

TEST_F(LinkLabel, AChangeMadeWhileTheMouseIsOverIsUndoneWhenItLeaves) {
  Label->SetLabelFont(Plain);
  Enter(Label);
  Label->SetLabelFont({QFont(QStringLiteral("Liberation Mono"), 20), QColor(Qt::magenta)});
  Leave(Label);
  EXPECT_EQ(Label->LabelFont(), Plain);
}

TEST_F(LinkLabel, AChangeMadeWhileTheMouseIsOutsideIsKept) {
  Label->SetLabelFont(Plain);
  Enter(Label);
  Leave(Label);
  const TLabelFont Changed{QFont(QStringLiteral("Liberation Mono"), 20), QColor(Qt::magenta)};
  Label->SetLabelFont(Changed);
  Enter(Label);
  Leave(Label);
  EXPECT_EQ(Label->LabelFont(), Changed);
}

TEST_F(LinkLabel, AClickOpensTheAddressOnlyOnAWindowAndOnlyWhenReleasedOverIt) {
  Label->SetURL(QStringLiteral("https://example.org/la16"));
  Label->setText(QStringLiteral("example.org"));
  Label->resize(120, 16);
  Parent.show();
  QTest::mouseClick(Label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(Environment.OpenedUrls,
            std::vector<QString>{QStringLiteral("https://example.org/la16")});
  // Pressed over it, released elsewhere: no click.
  QTest::mousePress(Label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QTest::mouseRelease(Label, Qt::LeftButton, Qt::NoModifier, QPoint(300, 5));
  EXPECT_EQ(Environment.OpenedUrls.size(), 1U);

  TLabelURL Alone(Environment);
  Alone.resize(120, 16);
  int Clicks = 0;
  QObject::connect(&Alone, &TLabelURL::Clicked, [&] { ++Clicks; });
  Alone.show();
  QTest::mouseClick(&Alone, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Environment.OpenedUrls.size(), 1U);
}

// ---- The user guide ----

TEST(UserGuide, MenuItemAndToolButtonOpenTheGuideBesideTheProgram) {
  TFormHarness Harness;
  TForm1& Form = Harness.StartShown();
  Form.Aide2->trigger();
  QTest::mouseClick(Form.ToolButton7, Qt::LeftButton);
  const QString Expected =
      QUrl::fromLocalFile(Harness.ProgramDir.path() + QStringLiteral("/docs/guide/index.html"))
          .toString();
  EXPECT_EQ(Harness.Environment.OpenedUrls, (std::vector<QString>{Expected, Expected}));
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  // A desktop that cannot open it: the user is told where the guide lies.
  Harness.Environment.UrlsOpen = false;
  Form.Aide2->trigger();
  QTest::mouseClick(Form.ToolButton7, Qt::LeftButton);
  const QString Told = QStringLiteral(
                           "Le guide d'utilisation n'a pas pu être ouvert. Vous le trouverez "
                           "ici :\n%1")
                           .arg(QDir::toNativeSeparators(Harness.ProgramDir.path() +
                                                         QStringLiteral("/docs/guide/index.html")));
  EXPECT_EQ(Harness.Environment.Messages(TFakeEnvironment::TBoxKind::Information),
            (std::vector<QString>{Told, Told}));
}

#ifdef _WIN32
// The shell's answer for a file that is not there.
TEST(UserGuide, TheDesktopSaysWhenItCannotOpenAnAddress) {
  QTemporaryDir Dir;
  TQtEnvironment Environment;
  int Failures = 0;
  Environment.OpenUrl(QUrl::fromLocalFile(Dir.filePath(QStringLiteral("absent.html"))).toString(),
                      [&] { ++Failures; });
  EXPECT_EQ(Failures, 1);
}
#else
// The desktop's answer, with xdg-open missing, then failing.
TEST(UserGuide, TheDesktopSaysWhenItCannotOpenAnAddress) {
  QTemporaryDir Bin;
  const QByteArray Path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(Bin.path()));
  TQtEnvironment Environment;
  int Failures = 0;
  Environment.OpenUrl(QStringLiteral("file:///guide.html"), [&] { ++Failures; });
  EXPECT_EQ(Failures, 1);
  // Found, it answers that it could not.
  QFile Opener(Bin.filePath(QStringLiteral("xdg-open")));
  ASSERT_TRUE(Opener.open(QIODevice::WriteOnly));
  Opener.write("#!/bin/sh\nexit 3\n");
  Opener.close();
  Opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  Environment.OpenUrl(QStringLiteral("file:///guide.html"), [&] { ++Failures; });
  qputenv("PATH", Path);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Failures == 2; }, 10000));
}
#endif

TEST(UserGuide, AnInstalledProgramOpensTheGuideOfTheDocumentationFolder) {
  TFormHarness Harness;
  Harness.Environment.InstalledProgram = true;
  TForm1& Form = Harness.StartShown();
  Form.Aide2->trigger();
  const QString Opened = QUrl(Harness.Environment.OpenedUrls.at(0)).toLocalFile();
  EXPECT_EQ(Opened, SystemInstalledGuideFolder(Harness.Environment.ProgramFolder()) +
                        QStringLiteral("index.html"));
  EXPECT_TRUE(QDir::isAbsolutePath(Opened));
#ifndef _WIN32
  // On Windows the installer puts the guide beside la16.exe.
  EXPECT_FALSE(Opened.startsWith(Harness.ProgramDir.path()));
#endif
}

TEST(UserGuide, AddressesOfAFolderWithBlanksAndAccents) {
  const QString Url = UserGuideUrl(QStringLiteral("/opt/mes outils/été/"));
  EXPECT_EQ(QUrl(Url).toLocalFile(), QStringLiteral("/opt/mes outils/été/docs/guide/index.html"));
  EXPECT_FALSE(Url.contains(QLatin1Char(' ')));
  EXPECT_EQ(UserGuideUrl(QStringLiteral("/opt/la16")), UserGuideUrl(QStringLiteral("/opt/la16/")));
  EXPECT_EQ(LinkCaption(QStringLiteral("https://example.org/la16/")),
            QStringLiteral("example.org"));
  EXPECT_EQ(LinkCaption(Url), QStringLiteral("Guide de la16"));
}

// Every picture and anchor the guide points to exists, in the sources and in
// the copy beside the program.
TEST(UserGuide, EveryPictureAndLinkOfTheGuideExists) {
  for (const char* Root : {LA16_SOURCE_DIR, LA16_BUILD_DIR}) {
    const QDir Guide(QString::fromUtf8(Root) + QStringLiteral("/docs/guide"));
    QFile Page(Guide.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(Page.open(QIODevice::ReadOnly)) << Page.fileName().toStdString();
    const QString Html = QString::fromUtf8(Page.readAll());
    EXPECT_TRUE(Html.contains(QStringLiteral("<html lang=\"fr\">")));
    static const QRegularExpression Source(QStringLiteral("(?:src|href)=\"([^\"#:]+)\""));
    int Files = 0;
    for (const QRegularExpressionMatch& Match : Source.globalMatch(Html)) {
      ++Files;
      EXPECT_TRUE(QFile::exists(Guide.filePath(Match.captured(1))))
          << Root << ": " << Match.captured(1).toStdString();
    }
    EXPECT_GE(Files, 4);
    static const QRegularExpression Anchor(QStringLiteral("href=\"#([^\"]+)\""));
    for (const QRegularExpressionMatch& Match : Anchor.globalMatch(Html)) {
      EXPECT_TRUE(Html.contains(QStringLiteral("id=\"%1\"").arg(Match.captured(1))))
          << Match.captured(1).toStdString();
    }
  }
}

// A picture left behind by a renamed or dropped figure would ship unseen.
TEST(UserGuide, EveryPictureOfTheGuidesFolderIsShown) {
  const QDir Guide(QStringLiteral(LA16_SOURCE_DIR "/docs/guide"));
  QFile Page(Guide.filePath(QStringLiteral("index.html")));
  ASSERT_TRUE(Page.open(QIODevice::ReadOnly));
  const QString Html = QString::fromUtf8(Page.readAll());
  const QStringList Pictures =
      QDir(Guide.filePath(QStringLiteral("images"))).entryList(QDir::Files);
  EXPECT_GE(Pictures.size(), 10);
  for (const QString& Picture : Pictures) {
    EXPECT_TRUE(Html.contains(QStringLiteral("src=\"images/%1\"").arg(Picture)))
        << Picture.toStdString();
  }
}

}  // namespace
