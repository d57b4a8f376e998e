// Every text of every window can be read: nothing is cut off or covered at the smallest
// window size and after auto-scale, in both shipped languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "LanguageTestFixture.h"
#include "WindowNames.h"
#include "data/TypeTables.h"
#include "language/FileLocations.h"
#include "language/LanguageKeys.h"
#include "language/Settings.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

QString Plain(QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))); }

QRect InWindow(const QWidget& widget) { return QRect(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size()); }

// The widgets that show a text of their own; the leaves of what the user reads.
bool ShowsText(const QWidget& widget) {
  if (qobject_cast<const QToolButton*>(&widget) != nullptr) return false;
  if (auto* label = qobject_cast<const QLabel*>(&widget)) return !label->text().isEmpty();
  if (qobject_cast<const QAbstractButton*>(&widget) != nullptr) return true;
  if (auto* edit = qobject_cast<const QLineEdit*>(&widget))
    return qobject_cast<const QAbstractSpinBox*>(edit->parentWidget()) == nullptr &&
           qobject_cast<const QComboBox*>(edit->parentWidget()) == nullptr;
  return qobject_cast<const QComboBox*>(&widget) != nullptr || qobject_cast<const QAbstractSpinBox*>(&widget) ||
         qobject_cast<const QTableWidget*>(&widget) != nullptr;
}

void NeedWidth(QStringList& problems, const QWidget& widget, const QString& text, int needed, int available) {
  if (needed > available)
    problems
        << QStringLiteral("%1 \"%2\": needs %3 px, has %4").arg(WidgetPath(widget), text).arg(needed).arg(available);
}

// Texts cut off by their own widget's size.
void CheckOwnSize(const QWidget& widget, QStringList& problems) {
  const QFontMetrics metrics = widget.fontMetrics();
  if (auto* label = qobject_cast<const QLabel*>(&widget)) {
    if (label->wordWrap()) {
      if (label->heightForWidth(label->width()) > label->height())
        problems
            << QStringLiteral("%1 \"%2\": wrapped text taller than the label").arg(WidgetPath(widget), label->text());
    } else {
      NeedWidth(problems, widget, label->text(), label->sizeHint().width(), label->width());
    }
  } else if (auto* check = qobject_cast<const QCheckBox*>(&widget)) {
    NeedWidth(problems, widget, check->text(), check->sizeHint().width(), check->width());
  } else if (auto* radio = qobject_cast<const QRadioButton*>(&widget)) {
    NeedWidth(problems, widget, radio->text(), radio->sizeHint().width(), radio->width());
  } else if (auto* button = qobject_cast<const QPushButton*>(&widget)) {
    const int picture = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    NeedWidth(problems, widget, button->text(), metrics.horizontalAdvance(Plain(button->text())) + picture + 4,
              button->width());
  } else if (auto* list = qobject_cast<const QComboBox*>(&widget)) {
    NeedWidth(problems, widget, list->currentText(), list->sizeHint().width(), list->width());
  } else if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
    if (edit->isReadOnly() && !edit->text().isEmpty())
      NeedWidth(problems, widget, edit->text(), metrics.horizontalAdvance(edit->text()) + 8, edit->width());
  } else if (auto* grid = qobject_cast<const QTableWidget*>(&widget)) {
    for (int r = 0; r < grid->rowCount(); ++r)
      for (int c = 0; c < grid->columnCount(); ++c)
        if (const QTableWidgetItem* cell = grid->item(r, c))
          NeedWidth(problems, widget, cell->text(), grid->fontMetrics().horizontalAdvance(cell->text()),
                    grid->columnWidth(c));
  }
  if (auto* group = qobject_cast<const QGroupBox*>(&widget); group != nullptr && !group->title().isEmpty())
    NeedWidth(problems, widget, group->title(), metrics.horizontalAdvance(Plain(group->title())) + 12, group->width());
  if (auto* tabs = qobject_cast<const QTabBar*>(&widget)) {
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->isTabVisible(i)) NeedWidth(problems, widget, tabs->tabText(i), tabs->tabRect(i).right(), tabs->width());
  }
}

// Every shown text of `window` in its present state: cut by its own size, reaching out of its
// parent, or covered by another one.
QStringList ClippedTexts(QWidget& window, const QString& state) {
  QStringList problems;
  QList<QWidget*> shown;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || widget->isWindow()) continue;
    CheckOwnSize(*widget, problems);
    if (!ShowsText(*widget)) continue;
    shown << widget;
    const QRect outer = widget->parentWidget()->rect();
    if (!outer.contains(widget->geometry()))
      problems << QStringLiteral("%1 reaches out of %2").arg(WidgetPath(*widget), WidgetPath(*widget->parentWidget()));
  }
  for (int i = 0; i < shown.size(); ++i)
    for (int k = i + 1; k < shown.size(); ++k) {
      const QRect overlap = InWindow(*shown[i]).intersected(InWindow(*shown[k]));
      if (overlap.width() > 1 && overlap.height() > 1)
        problems << QStringLiteral("%1 and %2 cover each other").arg(WidgetPath(*shown[i]), WidgetPath(*shown[k]));
    }
  for (QString& problem : problems) problem.prepend(state + QStringLiteral(": "));
  return problems;
}

// English words left in a Chinese text. Units, abbreviations and the product's name are the
// same in both languages.
QStringList EnglishWords(const QString& text) {
  static const QStringList kSameInBothLanguages = {"LUM", "PWM", "MI", "CSV",     "PNG",      "EFF",
                                                   "COM", "Ah",  "mA", "Lumaris", "Workbench"};
  static const QRegularExpression kWord(QStringLiteral("[A-Za-z]{2,}"));
  QStringList words;
  for (const QRegularExpressionMatch& match : kWord.globalMatch(text))
    if (!kSameInBothLanguages.contains(match.captured())) words << match.captured();
  return words;
}

// The texts the window shows and that stay English in every language: file names in the tree's
// status panel ("New File", "Connecting..."), the information panel's lines and what holds
// data (the fields' contents), and the upgrade file's group.
bool KeptEnglish(const QWidget& widget) {
  if (qobject_cast<const QLineEdit*>(&widget) != nullptr || qobject_cast<const QPlainTextEdit*>(&widget) != nullptr)
    return true;
  if (widget.objectName() == QStringLiteral("GroupBoxEffInfo")) return true;
  return widget.objectName() == names::StatusPanelName(names::kNodePanel);
}

void NoteEnglish(QStringList& problems, const QString& where, const QString& text) {
  if (const QStringList words = EnglishWords(text); !words.isEmpty())
    problems << QStringLiteral("%1 \"%2\": English %3").arg(where, text, words.join(QLatin1Char(' ')));
}

// Every text `window` shows in its present state that is English where it should be Chinese:
// captions, titles, lists, grid cells and headers, tips, menu entries, the chart's legend and
// threshold names.
QStringList EnglishTexts(QWidget& window, const QString& state) {
  QStringList problems;
  NoteEnglish(problems, WidgetPath(window) + QStringLiteral(" title"), window.windowTitle());
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || widget->isWindow() || KeptEnglish(*widget)) continue;
    const QString where = WidgetPath(*widget);
    NoteEnglish(problems, where + QStringLiteral(" tip"), widget->toolTip());
    if (auto* label = qobject_cast<const QLabel*>(widget)) NoteEnglish(problems, where, label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) NoteEnglish(problems, where, button->text());
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) NoteEnglish(problems, where, group->title());
    if (auto* tabs = qobject_cast<const QTabBar*>(widget))
      for (int i = 0; i < tabs->count(); ++i) NoteEnglish(problems, where, tabs->tabText(i));
    if (auto* list = qobject_cast<const QComboBox*>(widget))
      for (int i = 0; i < list->count(); ++i) NoteEnglish(problems, where, list->itemText(i));
    if (auto* grid = qobject_cast<const QTableWidget*>(widget)) {
      for (int c = 0; c < grid->columnCount(); ++c)
        if (const QTableWidgetItem* header = grid->horizontalHeaderItem(c))
          NoteEnglish(problems, where, header->text());
      for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
          if (const QTableWidgetItem* cell = grid->item(r, c)) NoteEnglish(problems, where, cell->text());
    }
    if (auto* chart = qobject_cast<QChartView*>(widget)) {
      for (QLegendMarker* marker : chart->chart()->legend()->markers()) NoteEnglish(problems, where, marker->label());
      for (QGraphicsItem* item : chart->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) NoteEnglish(problems, where, text->text());
    }
  }
  // Menu entries: the other actions show their captions on the buttons checked above. The
  // language menu keeps its English name, so that it is found in a language one cannot read,
  // and names each language in its own words.
  const auto isMenu = [](const QObject* o) { return qobject_cast<const QMenu*>(o) != nullptr; };
  const auto isLanguageMenu = [](const QObject* o) { return o->objectName() == QStringLiteral("MenuLanguage"); };
  for (QAction* action : window.findChildren<QAction*>()) {
    const QList<QObject*> users = action->associatedObjects();
    const bool language = (action->menu() != nullptr && isLanguageMenu(action->menu())) ||
                          std::any_of(users.begin(), users.end(), isLanguageMenu);
    if (!language && std::any_of(users.begin(), users.end(), isMenu))
      NoteEnglish(problems, WidgetPath(window) + QLatin1Char('.') + action->objectName(), action->text());
  }
  for (QString& problem : problems) problem.prepend(state + QStringLiteral(": "));
  return problems;
}

class ReadabilityTest : public EveryDeviceTypeFixture {
 protected:
  // The main window with an entry of every device type on every shown page, then the other
  // windows; `state` names the situation in the messages.
  QStringList WalkEverything(const QString& state) {
    QStringList problems;
    Ui::TFormLUM& u = Window().ui();
    for (int row = 0; row < kDeviceTypeCount; ++row) {
      SelectNode(QStringLiteral("row%1.LUM").arg(row));
      for (int page = 0; page < u.PageControl->count(); ++page) {
        if (!u.PageControl->isTabVisible(page)) continue;
        u.PageControl->setCurrentIndex(page);
        QApplication::processEvents();
        const QString where = QStringLiteral("%1, row %2, %3").arg(state).arg(row).arg(u.PageControl->tabText(page));
        problems << ClippedTexts(Window(), where);
        if (check_english_) problems << EnglishTexts(Window(), where);
      }
    }
    // The upgrade window with the longest model name a file can carry.
    QString longest;
    for (int i = 0; i < Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->count(); ++i)
      if (Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->itemText(i).size() > longest.size())
        longest = Find<QComboBox>(*u.PageControl, "cbbDeviceTypes")->itemText(i);
    Upgrade().findChild<QLineEdit*>(QStringLiteral("lbledtEFFDescription"))->setText(longest);
    for (QWidget* window : OtherWindows()) {
      window->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
      problems << ClippedTexts(*window, state);
      // The about box keeps the maker's own English texts in every language.
      if (check_english_ && window != &About()) problems << EnglishTexts(*window, state);
      window->hide();
    }
    return problems;
  }

  QStringList WalkAtBothSizes(const QString& language) {
    QStringList problems = WalkEverything(language + QStringLiteral(" at 640 x 544"));
    Window().resize(960, 816);
    QApplication::processEvents();
    Window().ui().actAutoScale->trigger();
    QApplication::processEvents();
    problems << WalkEverything(language + QStringLiteral(" scaled to 960 px"));
    return problems;
  }

  bool check_english_ = false;
};

TEST_F(ReadabilityTest, EveryBuiltInTextFitsAtBothSizes) {
  CreateAll();
  const QStringList problems = WalkAtBothSizes(QStringLiteral("built-in"));
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReadabilityTest, EveryEnglishTextFitsAtBothSizes) {
  CopyEnglishFile();
  CreateAll();
  Choose(QStringLiteral("English"));
  const QStringList problems = WalkAtBothSizes(QStringLiteral("English"));
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

// Started in English, switched to the built-in Chinese with the chart open: no English text is
// left behind in any window, and the built-in language's file is completed with Chinese texts.
TEST_F(ReadabilityTest, NoEnglishIsLeftInTheChineseInterfaceAfterASwitchFromEnglish) {
  CopyEnglishFile();
  Settings(Dir()).SetLanguageFile(kEnglishLanguageFile);
  CreateAll();
  TFormChart& chart = *qobject_cast<TFormChart*>(OtherWindows()[3]);
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  Choose(QString::fromUtf8(language_keys::kDefaultLanguageName));
  check_english_ = true;
  QStringList problems = WalkEverything(QStringLiteral("Chinese after English"));

  const ProfileFile builtIn = LoadFile(Settings::kDefaultLanguageFile);
  for (const char* section : {language_keys::kStrings, language_keys::kMessages})
    for (const std::string& key : SectionKeys(builtIn, section))
      NoteEnglish(problems,
                  QStringLiteral("%1 %2")
                      .arg(QString::fromLatin1(Settings::kDefaultLanguageFile))
                      .arg(QString::fromStdString(key)),
                  QString::fromStdString(builtIn.ReadOr(section, key, "")));
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace lum::test
