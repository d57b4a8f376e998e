#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QToolButton>
#include <filesystem>

#include "WindowFixture.h"
#include "WindowNames.h"
#include "language/LanguageKeys.h"
#include "language/ProfileFile.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using FormLayoutTest = WindowFixture;

// The shipped English file is what an English user meets: each of its keys for the main window
// names a component there (a renamed component would keep its Chinese text without a word), and
// each component marked translatable has its text in the file.
TEST_F(FormLayoutTest, TheEnglishFileNamesEveryTranslatableComponentAndNoOther) {
  TFormLUM& window = Create();
  const ProfileFile english =
      ProfileFile::Load((std::filesystem::path(LUM_SOURCE_DIR) / "lang" / "LUM_en.lng").string());
  const auto strings = english.SectionEntries(language_keys::kStrings);
  ASSERT_TRUE(strings.has_value());
  const std::string prefix = window.objectName().toStdString() + ".";
  QSet<QString> named;
  for (const auto& [key, text] : *strings) {
    if (key.rfind(prefix, 0) != 0) continue;
    const std::string rest = key.substr(prefix.size());
    const size_t dot = rest.find('.');
    if (dot == std::string::npos) continue;  // the window's own caption or hint
    const QString component = QString::fromStdString(rest.substr(0, dot));
    named.insert(component);
    const QObject* found = window.findChild<QObject*>(component);
    EXPECT_NE(found, nullptr) << key << ": the window has no such component";
    // Only marked components are translated: an unmarked one would never show this text.
    if (found) {
      EXPECT_EQ(found->property(names::kTagProperty).toInt(), names::kTranslatableTag) << key;
    }
  }
  EXPECT_FALSE(named.isEmpty());
  for (QObject* object : window.findChildren<QObject*>()) {
    if (object->property(names::kTagProperty).toInt() == names::kTranslatableTag) {
      EXPECT_TRUE(named.contains(object->objectName())) << object->objectName().toStdString() << " has no English text";
    }
  }
}

TEST_F(FormLayoutTest, LabelledEditsHaveTheirCaptionLabels) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  ASSERT_NE(window.EditLabel(Find<QLineEdit>(*u.tsReal, "lbledtRealTimer")), nullptr);
  EXPECT_EQ(window.EditLabel(Find<QLineEdit>(*u.tsReal, "lbledtRealTimer"))->text(), QStringLiteral("上电时间"));
  EXPECT_EQ(window.EditLabel(Find<QLineEdit>(*u.PageControl, "lbledtBattOVP"))->text(), QStringLiteral("V"));
  EXPECT_EQ(window.EditLabel(Find<QLineEdit>(*u.tsLoad, "lbledtCC"))->text(), QStringLiteral("A"));
  EXPECT_EQ(window.EditLabel(Find<QLineEdit>(*u.PageControl, "edtModel")), nullptr);
}

TEST_F(FormLayoutTest, ActionsHaveTheirCaptionsShortcutsAndStartStates) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  EXPECT_EQ(u.actOpenConfigFile->text(), QStringLiteral("打开文件..."));
  EXPECT_EQ(u.actOpenConfigFile->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(u.actExitLUM->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
  EXPECT_EQ(u.actFirmwareUpgrade->shortcut(), QKeySequence(Qt::Key_F12));
  EXPECT_EQ(u.actConnectDevice->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(u.actWriteToDevice->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(u.actSaveConfigToFile->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
  EXPECT_EQ(u.actHelpOnHelp->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(u.actAutoScale->text().isEmpty());
  EXPECT_EQ(u.MenuOpenConfigFile->text(), QStringLiteral("打开配置文件..."));
  EXPECT_EQ(u.MenuExitLUM->text(), QStringLiteral("退出 LUM"));
  EXPECT_EQ(u.btnConnectDevice->text(), QStringLiteral("连接设备"));
  EXPECT_EQ(u.MenuLanguage->title(), QStringLiteral("&Language"));
  EXPECT_EQ(window.Battery().DelayUnitFlag(), 1);
}

TEST_F(FormLayoutTest, BoundControlsFollowTheirActionButEntriesWithOwnCaptionsKeepThem) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  auto* tool = window.findChild<QToolButton*>("tbtnWriteToDevice");
  ASSERT_NE(tool, nullptr);
  EXPECT_FALSE(tool->isEnabled());
  u.actWriteToDevice->setEnabled(true);
  EXPECT_TRUE(u.btnWriteToDevice->isEnabled());
  EXPECT_TRUE(u.MenuWriteToDevice->isEnabled());
  EXPECT_TRUE(tool->isEnabled());
  EXPECT_EQ(tool->toolButtonStyle(), Qt::ToolButtonIconOnly);

  u.actOpenConfigFile->setText(QStringLiteral("Open file..."));
  u.actExitLUM->setText(QStringLiteral("Exit LUM"));
  EXPECT_EQ(u.MenuOpenConfigFile->text(), QStringLiteral("打开配置文件..."));
  EXPECT_EQ(u.btnOpenConfigFile->text(), QStringLiteral("Open file..."));
  EXPECT_EQ(u.MenuExitLUM->text(), QStringLiteral("Exit LUM"));

  // The help entry stays disabled even though its action is enabled.
  u.actHelpOnHelp->setEnabled(false);
  u.actHelpOnHelp->setEnabled(true);
  EXPECT_FALSE(u.MenuHelpOnHelp->isEnabled());
}

TEST_F(FormLayoutTest, MenuEntriesAndButtonsRunTheirActions) {
  TFormLUM& window = Create();
  Ui::TFormLUM& u = window.ui();
  int opened = 0;
  QObject::connect(u.actOpenConfigFile, &QAction::triggered, [&] { ++opened; });
  for (int i = 0; i < 3; ++i) dialogs_.AnswerFileName({});  // each run shows the open dialog
  u.MenuOpenConfigFile->trigger();
  u.btnOpenConfigFile->click();
  window.findChild<QToolButton*>("tbtnOpenConfigFile")->click();
  EXPECT_EQ(opened, 3);
}

}  // namespace
}  // namespace lum::test
