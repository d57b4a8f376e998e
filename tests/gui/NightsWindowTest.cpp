// The Nights window over a simulated week in the window's real recordings database: the
// calendar strip's cells and colours, a night's chart on click, the alarm list and the status
// bar count against lumctl alarms, the planner against lumctl plan, Chinese texts, and bad
// settings, databases and typed values.
#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FormNights.h"
#include "NightStrip.h"
#include "PlanView.h"
#include "WindowFixture.h"
#include "WindowRecorder.h"
#include "data/ConfigFile.h"
#include "nights/SimulatedNights.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

constexpr int kDays = 7;
constexpr int kAnalysisWaitMs = 60'000;
constexpr char kOtherSerial[] = "0B00000077";

struct LumctlOutput {
  int status = -1;
  std::string out;
};

class NightsWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    CreateShown();
    AppendIni("[Nights]\r\nCutCriticalNights=2\r\n");
    recorder_ = new WindowRecorder(Window());
    nights_ = std::make_unique<TFormNights>(Window(), *recorder_);
    const sim::SunWorldSetup setup = nights::ParisLamp();
    sim::SunWorldSetup dead = setup;
    dead.deadLampNights = {2, 6};
    simulated_ = nights::Simulate(dead, kDays);
    store::Recordings& recordings = *recorder_->Recordings();
    recordings.Add(recordings.Start(nights::kSerial), simulated_.polls);
    recordings.Add(recordings.Start(kOtherSerial), nights::Simulate(setup, kDays).polls);
    SaveConfigFile(Dir() + "/lamp.LUM", nights::ParisLampBlock());
    AddFileEntry("/data/lamp.LUM", nights::ParisLampBlock());
    SelectNode("lamp.LUM");
  }
  void TearDown() override {
    nights_.reset();
    WindowFixture::TearDown();
  }

  void AppendIni(const std::string& text) {
    std::ofstream ini(std::filesystem::path(Dir()) / "LUM.INI", std::ios::binary | std::ios::app);
    ini << text;
  }
  // Tools -> Nights, the controller chosen, its analysis waited for.
  bool AnalyseThroughMenu(const QString& serial) {
    Window().ui().actNights->trigger();
    QComboBox& list = nights_->Controllers();
    list.setCurrentIndex(list.findData(serial));
    QSignalSpy done(nights_.get(), &TFormNights::analysed);
    nights_->Analyse();
    return done.wait(kAnalysisWaitMs) && done.at(0).at(0).toBool();
  }
  LumctlOutput Lumctl(const QStringList& arguments) {
    QProcess lumctl;
    lumctl.setWorkingDirectory(QString::fromStdString(Dir()));
    lumctl.start(QStringLiteral(LUMCTL_PATH), arguments);
    lumctl.waitForFinished(kAnalysisWaitMs);
    return {lumctl.exitCode(), lumctl.readAllStandardOutput().toStdString()};
  }
  QString Database() const { return QString::fromStdString(store::DatabaseTarget(Dir(), {})); }
  QColor CellColour(int index) {
    const QImage picture = nights_->Strip().grab().toImage();
    return picture.pixelColor(nights_->Strip().CellRect(index).center());
  }

  WindowRecorder* recorder_ = nullptr;  // the window owns it
  std::unique_ptr<TFormNights> nights_;
  nights::Simulated simulated_;
};

TEST_F(NightsWindowTest, StripHasACellPerNightColouredByResultAndAClickShowsThatNight) {
  Window().ui().actNights->trigger();
  ASSERT_EQ(nights_->Controllers().count(), 2) << "both controllers of the recordings";
  ASSERT_TRUE(AnalyseThroughMenu(QString::fromLatin1(nights::kSerial)));
  NightStrip& strip = nights_->Strip();
  const auto& found = strip.Nights();
  ASSERT_EQ(found.size(), static_cast<size_t>(kDays)) << "one cell per night of the week";
  for (size_t k = 0; k < simulated_.dusks.size() && k < found.size(); ++k) {
    const int index = nights::NightNear(found, simulated_.dusks[k]);
    ASSERT_GE(index, 0) << "night " << k;
    const bool dead = k == 2 || k == 6;
    EXPECT_EQ(CellColour(index), NightStrip::ColourOf(dead ? nights::NightResult::Dark : nights::NightResult::Lit))
        << "night " << k;
  }

  const int third = nights::NightNear(found, simulated_.dusks[1]);
  QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.CellRect(third).center());
  EXPECT_EQ(strip.Selected(), third);
  const auto series = nights_->NightChart().series();
  ASSERT_EQ(series.size(), 3);
  const auto* battery = qobject_cast<QLineSeries*>(series.at(0));
  ASSERT_NE(battery, nullptr);
  ASSERT_GT(battery->count(), 60) << "the night's polls, one a minute";
  const nights::Night& night = found.at(static_cast<size_t>(third));
  for (const QPointF& p : battery->points()) {
    EXPECT_GE(p.x(), static_cast<double>(night.duskMs - 30 * nights::kMinuteMs));
    EXPECT_LT(p.x(), static_cast<double>(night.dawnMs + 30 * nights::kMinuteMs));
  }
  const auto* current = qobject_cast<QLineSeries*>(series.at(2));
  ASSERT_NE(current, nullptr);
  double most = 0;
  for (const QPointF& p : current->points()) most = std::max(most, p.y());
  EXPECT_NEAR(most, 1.5, 0.1) << "the lamp's full current in a lit night";
}

TEST_F(NightsWindowTest, AlarmListAndStatusBarCountMatchLumctlAlarms) {
  EXPECT_FALSE(nights_->OpenAlarmsLabel().isVisible()) << "no count before an analysis";
  ASSERT_TRUE(AnalyseThroughMenu(QString::fromLatin1(nights::kSerial)));
  const LumctlOutput lumctl = Lumctl({"alarms", "--db", Database(), "--config", "lamp.LUM", "--serial", nights::kSerial,
                                      "--json", "--severity", "info"});
  ASSERT_EQ(lumctl.status, 1) << lumctl.out;
  std::vector<nlohmann::json> expected;
  std::istringstream lines(lumctl.out);
  for (std::string line; std::getline(lines, line);) expected.push_back(nlohmann::json::parse(line));
  ASSERT_FALSE(expected.empty());

  QTableWidget& table = nights_->Alarms();
  ASSERT_EQ(table.rowCount(), static_cast<int>(expected.size()));
  int open = 0;
  for (int row = 0; row < table.rowCount(); ++row) {
    const nlohmann::json& alarm = expected[static_cast<size_t>(row)];
    EXPECT_EQ(table.item(row, 1)->text().toStdString(), alarm["text"].get<std::string>()) << row;
    EXPECT_EQ(table.item(row, 2)->text().toStdString(), alarm["first_night"].get<std::string>()) << row;
    EXPECT_EQ(table.item(row, 3)->text().toStdString(), alarm["last_night"].get<std::string>()) << row;
    EXPECT_EQ(table.item(row, 5)->text().toStdString(), alarm["remedy"].get<std::string>()) << row;
    open += alarm["open"].get<bool>() ? 1 : 0;
  }
  // LUM.INI's [Nights] made two dark nights in a row critical for both.
  EXPECT_TRUE(nights_->OpenAlarmsLabel().isVisible());
  EXPECT_EQ(nights_->OpenAlarmsLabel().text(), QStringLiteral("未解除报警：%1").arg(open));
  EXPECT_EQ(nights_->OpenAlarmsLabel().parentWidget(), Window().ui().StatusBar);

  ASSERT_TRUE(AnalyseThroughMenu(QString::fromLatin1(kOtherSerial)));
  const LumctlOutput fine = Lumctl(
      {"alarms", "--db", Database(), "--config", "lamp.LUM", "--serial", kOtherSerial, "--json", "--severity", "info"});
  std::istringstream fineLines(fine.out);
  int fineOpen = 0;
  for (std::string line; std::getline(fineLines, line);) fineOpen += nlohmann::json::parse(line)["open"].get<bool>();
  EXPECT_EQ(nights_->OpenAlarmsLabel().text(), QStringLiteral("未解除报警：%1").arg(fineOpen));
  EXPECT_LT(fineOpen, open) << "the other lamp never failed";
}

TEST_F(NightsWindowTest, PlannerDrawsLumctlPlansNumbersAndRefusesValuesOutOfRange) {
  Window().ui().actNights->trigger();
  auto type = [this](QLineEdit* edit, const QString& text) {
    edit->setText(text);
    return nights_->ComputePlan();
  };
  auto* latitude = nights_->findChild<QLineEdit*>(QStringLiteral("edtLatitude"));
  auto* longitude = nights_->findChild<QLineEdit*>(QStringLiteral("edtLongitude"));
  auto* capacity = nights_->findChild<QLineEdit*>(QStringLiteral("edtCapacity"));
  longitude->setText(QStringLiteral("2.35"));
  capacity->setText(QStringLiteral("100"));
  EXPECT_FALSE(type(latitude, QStringLiteral("91")));
  EXPECT_TRUE(nights_->PlanProblem().text().contains(QStringLiteral("纬度")))
      << nights_->PlanProblem().text().toStdString();
  EXPECT_FALSE(nights_->Plan().HasPlan());
  EXPECT_FALSE(type(latitude, QStringLiteral("北纬48")));
  EXPECT_FALSE(type(latitude, QString()));
  latitude->setText(QStringLiteral("48.86"));
  EXPECT_FALSE(type(capacity, QStringLiteral("0")));
  EXPECT_TRUE(nights_->PlanProblem().text().contains(QStringLiteral("蓄电池容量")));
  EXPECT_FALSE(type(longitude, QStringLiteral("-181")));
  longitude->setText(QStringLiteral("2.35"));
  ASSERT_TRUE(type(capacity, QStringLiteral("100")));
  EXPECT_TRUE(nights_->PlanProblem().text().isEmpty());

  const QString year = QString::number(QDate::currentDate().year());
  const QString csv = QString::fromStdString(Dir() + "/plan.csv");
  const LumctlOutput plan = Lumctl(
      {"plan", "--config", "lamp.LUM", "--site", "48.86,2.35", "--capacity", "100", "--year", year, "--csv", csv});
  ASSERT_EQ(plan.status, 0);
  std::ifstream file(csv.toStdString());
  std::string line;
  std::getline(file, line);  // the header
  const PlanView& view = nights_->Plan();
  EXPECT_DOUBLE_EQ(view.UsableAh(), 50);
  for (const nights::PlanMonth& m : view.Months()) {
    ASSERT_TRUE(std::getline(file, line));
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    ASSERT_GE(cells.size(), 4u);
    EXPECT_EQ(std::stoi(cells[0]), m.month);
    ASSERT_TRUE(m.nightMinutes.has_value());
    EXPECT_NEAR(std::stod(cells[1]), *m.nightMinutes, 0.05) << m.month;
    EXPECT_NEAR(std::stod(cells[2]), m.litMinutes, 0.05) << m.month;
    EXPECT_NEAR(std::stod(cells[3]), m.ampereHours, 0.0005) << m.month;
  }
  EXPECT_GT(*view.Months()[11].nightMinutes, *view.Months()[5].nightMinutes) << "Paris: December nights are long";
}

TEST_F(NightsWindowTest, TextsAreChineseWithoutALanguageFile) {
  Window().ui().actNights->trigger();
  EXPECT_EQ(nights_->windowTitle(), QStringLiteral("夜间与报警"));
  auto* tabs = nights_->findChild<QTabWidget*>(QStringLiteral("tabsNights"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("夜间"));
  EXPECT_EQ(tabs->tabText(2), QStringLiteral("能量规划"));
  EXPECT_EQ(nights_->Alarms().horizontalHeaderItem(5)->text(), QStringLiteral("处理方法"));
  EXPECT_EQ(Window().ui().actNights->text(), QStringLiteral("夜间与报警..."));
  ASSERT_TRUE(AnalyseThroughMenu(QString::fromLatin1(nights::kSerial)));
  EXPECT_TRUE(nights_->StatusText().text().contains(QStringLiteral("夜")))
      << nights_->StatusText().text().toStdString();
  EXPECT_EQ(nights_->Alarms().item(0, 0)->text().isEmpty(), false);
  for (int row = 0; row < nights_->Alarms().rowCount(); ++row)
    for (int c : {0, 1, 5}) {
      const QString text = nights_->Alarms().item(row, c)->text();
      EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() >= 0x4E00; }))
          << "row " << row << ": " << text.toStdString();
    }
}

TEST_F(NightsWindowTest, GarbledThresholdsAndADamagedDatabaseAreNamedNotAnalysed) {
  AppendIni("[Nights 0A00000066]\r\nFadingNights=seven\r\n");
  Window().ui().actNights->trigger();
  nights_->Controllers().setCurrentIndex(nights_->Controllers().findData(QString::fromLatin1(nights::kSerial)));
  nights_->Analyse();
  EXPECT_FALSE(nights_->Busy()) << "nothing analysed with a bad setting";
  const std::string status = nights_->StatusText().text().toStdString();
  EXPECT_NE(status.find("FadingNights"), std::string::npos) << status;
  EXPECT_NE(status.find("Nights 0A00000066"), std::string::npos) << status;

  // A file that is no database where the recordings are: the analysis says so.
  const std::filesystem::path db = Database().toStdString();
  std::filesystem::remove(db);
  {
    std::ofstream junk(db, std::ios::binary);
    junk << std::string(4096, '\x5a');
  }
  WritePorts({});  // the thresholds mended
  QSignalSpy done(nights_.get(), &TFormNights::analysed);
  nights_->Analyse();
  ASSERT_TRUE(nights_->Busy());
  ASSERT_TRUE(done.wait(kAnalysisWaitMs));
  EXPECT_FALSE(done.at(0).at(0).toBool()) << "no nights read from a damaged file";
  EXPECT_TRUE(nights_->Report().failure.has_value());
  EXPECT_TRUE(nights_->StatusText().text().startsWith(QStringLiteral("无法读取记录：")))
      << nights_->StatusText().text().toStdString();
}

TEST_F(NightsWindowTest, AControllersOddSerialIsShownPrintably) {
  store::Recordings& recordings = *recorder_->Recordings();
  const std::string odd = "=HYPERLINK(\"x\")\x1b[31m";
  recordings.Add(recordings.Start(odd), nights::Simulate(nights::ParisLamp(), 1).polls);
  Window().ui().actNights->trigger();
  const int index = nights_->Controllers().findData(QString::fromStdString(odd));
  ASSERT_GE(index, 0);
  EXPECT_EQ(nights_->Controllers().itemText(index), QStringLiteral("=HYPERLINK(\"x\")?[31m"));
  nights_->Controllers().setCurrentIndex(index);
  QSignalSpy done(nights_.get(), &TFormNights::analysed);
  nights_->Analyse();
  ASSERT_TRUE(done.wait(kAnalysisWaitMs));
  EXPECT_TRUE(done.at(0).at(0).toBool());
  EXPECT_EQ(nights_->Report().nights.size(), 1u) << "the odd controller's own night";
}

}  // namespace
}  // namespace lum::test
