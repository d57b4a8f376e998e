#include <gtest/gtest.h>

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "LanguageComponents.h"
#include "LanguageTestFixture.h"
#include "language/Settings.h"
#include "ui_FormAboutLUM.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;

// Receives the addresses the about box asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

using AboutBoxTest = LanguageFixture;

// Presses OK once the box is up.
void PressOkWhenShown(TFormAboutLUM& about) {
  QTimer::singleShot(0, &about, [&about] { QTest::mouseClick(about.ui().ButtonOK, Qt::LeftButton); });
}

int ShowAndPressOk(TFormAboutLUM& about) {
  PressOkWhenShown(about);
  return about.exec();
}

TEST_F(AboutBoxTest, BoxShowsProductVersionAndMakerWithoutTranslatableParts) {
  CreateWindows();
  TFormAboutLUM& about = About();
  Ui::TFormAboutLUM& u = about.ui();
  EXPECT_EQ(about.objectName(), QStringLiteral("FormAboutLUM"));
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About LUM"));
  EXPECT_EQ(about.size(), QSize(300, 186));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());

  // The logo is decoded when the box is first shown.
  ASSERT_EQ(ShowAndPressOk(about), QDialog::Accepted);
  const QPixmap logo = u.ImageLogo->pixmap();
  ASSERT_FALSE(logo.isNull()) << "the JPEG logo was not decoded";
  EXPECT_EQ(logo.size(), QSize(108, 168));
  EXPECT_LT(u.ImageLogo->x(), u.LabelProductName->x());

  EXPECT_EQ(u.LabelProductName->text().split(QLatin1Char('\n')), (QStringList{"Lumaris", "Workbench"}));
  EXPECT_TRUE(u.LabelProductName->font().bold());
  EXPECT_EQ(u.LabelProductName->size(), QSize(128, 26));
  EXPECT_EQ(u.LabelVersion->text().split(QLatin1Char('\n')),
            (QStringList{"Edition v1.1.0.111", "Build on Jul 28, 2016"}));
  EXPECT_EQ(u.LabelCompany->text(), QStringLiteral("Quorvane Electronic Technology Corp."));
  EXPECT_EQ(u.LabelDomain->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(u.ButtonOK->text(), QStringLiteral("OK"));

  for (QObject* component : ComponentsInDesignOrder(&about))
    EXPECT_FALSE(IsTranslatable(component)) << component->objectName().toStdString();
}

TEST_F(AboutBoxTest, VersionIsAppendedToTheCaptionOnceWhateverTheBoxIsShown) {
  CreateWindows();
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Lumaris Workbench 1.1.0.111"));
  EXPECT_EQ(ShowAndPressOk(About()), QDialog::Accepted);
  PressOkWhenShown(About());
  Window().ui().actAboutLUM->trigger();  // the action shows it as the menu does
  EXPECT_FALSE(About().isVisible());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Lumaris Workbench 1.1.0.111"));
  EXPECT_TRUE(dialogs_.Errors().empty());
}

TEST_F(AboutBoxTest, FailedLanguageStartUpKeepsTheStoredTextsAndTheBareCaption) {
  const std::string name = std::string(300, 'x') + ".lng";  // longer than a file name may be
  Settings(Dir()).SetLanguageFile(name);
  CreateWindows();
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors().front().contains(QString::fromStdString(FilePath(name))));
  EXPECT_EQ(About().ui().LabelProductName->text(), QStringLiteral("Caption"));
  EXPECT_EQ(About().ui().LabelVersion->text(), QStringLiteral("Ver"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Lumaris Workbench"));
  // No language was applied: the lists the language fills stay empty, the placeholder stays.
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsLoad, "cbbWorkMode")->count(), 0);
  EXPECT_TRUE(Languages().Entries().empty());
  // The program goes on: the box still shows and closes.
  EXPECT_EQ(ShowAndPressOk(About()), QDialog::Accepted);
}

TEST_F(AboutBoxTest, ClickingTheAddressOpensIt) {
  CreateWindows();
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
  QTest::mouseClick(About().ui().LabelDomain, Qt::LeftButton);
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  ASSERT_EQ(catcher.opened.size(), 1);
  EXPECT_EQ(catcher.opened.front(), TFormAboutLUM::DomainUrl());
  EXPECT_TRUE(catcher.opened.front().host().contains(About().ui().LabelDomain->text().mid(4)));
}

}  // namespace
}  // namespace lum::test

#include "AboutBoxTest.moc"
