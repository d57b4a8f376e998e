// The provisioning window offscreen: its start state, a bad job, and a bench run against
// simulated units plugged into two pseudo-terminal ports (one provisioned, one refused), with
// the rows, counters, stopping, the records written and their export.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <set>
#include <sstream>

#include "FormProvisioning.h"
#include "WindowFixture.h"
#include "WindowNames.h"
#include "data/NumberFormats.h"
#include "store/RecordStore.h"
#include "support/BenchSupport.h"
#include "ui_FormLUM.h"
#include "ui_FormProvisioning.h"

namespace lum::test {
namespace {

constexpr int kBenchTimeoutMs = 60000;  // a unit takes a few seconds of real exchanges
constexpr uint32_t kSerial = 0x01000042;

// The widgets of the row of a port, found in the grid by the port's name in its first column.
struct ShownRow {
  QLabel* phase = nullptr;
  QLabel* unit = nullptr;
  QProgressBar* progress = nullptr;
  QLabel* result = nullptr;
};

ShownRow RowOf(Ui::TFormProvisioning& u, const QString& port) {
  auto* grid = qobject_cast<QGridLayout*>(u.pnlPorts->layout());
  for (int row = 1; row < grid->rowCount(); ++row) {
    auto* name = grid->itemAtPosition(row, 0) ? qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget()) : nullptr;
    if (name == nullptr || name->text() != port) continue;
    auto cell = [&](int column) { return grid->itemAtPosition(row, column)->widget(); };
    return {qobject_cast<QLabel*>(cell(1)), qobject_cast<QLabel*>(cell(2)), qobject_cast<QProgressBar*>(cell(3)),
            qobject_cast<QLabel*>(cell(4))};
  }
  return {};
}

class FormProvisioningTest : public WindowFixture {
 protected:
  void TearDown() override {
    provisioning_.reset();
    WindowFixture::TearDown();
  }
  TFormProvisioning& CreateBoth() {
    provisioning_ = std::make_unique<TFormProvisioning>(Create());
    return *provisioning_;
  }
  void Choose(const std::string& path) {
    dialogs_.AnswerFileName(QString::fromStdString(path));
    provisioning_->ui().btnOpenJob->click();
  }
  std::unique_ptr<TFormProvisioning> provisioning_;
};

TEST_F(FormProvisioningTest, StartsWithoutAJob) {
  TFormProvisioning& window = CreateBoth();
  Ui::TFormProvisioning& u = window.ui();
  EXPECT_EQ(window.objectName(), "FormProvisioning");
  EXPECT_FALSE(u.btnStart->isEnabled());
  EXPECT_FALSE(u.btnStop->isEnabled());
  EXPECT_TRUE(u.btnOpenJob->isEnabled());
  EXPECT_TRUE(u.btnExportRecords->isEnabled());
  EXPECT_TRUE(u.lbledtJobFile->isReadOnly());
  EXPECT_FALSE(u.lbledtBench->text().isEmpty()) << "the machine's name is the default bench";
  EXPECT_FALSE(window.Running());

  EXPECT_EQ(window.windowTitle(), QStringLiteral("批量配置"));

  // Every caption is translatable; the values shown are not.
  std::set<QString> tagged;
  for (const QObject* child : window.findChildren<QObject*>())
    if (child->property(names::kTagProperty).toInt() == names::kTranslatableTag) tagged.insert(child->objectName());
  for (const char* name : {"grpJob", "btnOpenJob", "lbledtJobFile", "lbledtDatabase", "lbledtOperator", "chkForce",
                           "lblResultColumn", "lblDoneCaption", "lblPerHourCaption", "btnStart", "btnExportRecords"})
    EXPECT_TRUE(tagged.count(QString::fromLatin1(name))) << name;
  for (const char* name : {"lblDone", "lblPerHour"}) EXPECT_FALSE(tagged.count(QString::fromLatin1(name))) << name;

  // Without ports the column captions stand at the top of the list, not in its middle.
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_LE(u.lblPortColumn->height(), u.lblPortColumn->sizeHint().height()) << u.pnlPorts->height();
}

TEST_F(FormProvisioningTest, ABadJobIsNamedAndCannotBeStarted) {
  TFormProvisioning& window = CreateBoth();
  const std::string good = WriteJobFiles(Dir());
  Choose(good);
  EXPECT_TRUE(window.ui().btnStart->isEnabled());
  EXPECT_EQ(window.ui().lbledtJobName->text(), "street");

  const std::string bad = Dir() + "/bad.json";
  std::ofstream(bad) << R"({"config": "missing.LUM"})";
  Choose(bad);
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors()[0].contains("missing.LUM")) << dialogs_.Errors()[0].toStdString();
  EXPECT_FALSE(window.ui().btnStart->isEnabled()) << "the good job was replaced by nothing";
  EXPECT_TRUE(window.ui().lbledtJobName->text().isEmpty());

  dialogs_.AnswerFileName({});  // cancelled: nothing changes
  window.ui().btnOpenJob->click();
  EXPECT_EQ(dialogs_.Errors().size(), 1u);
}

TEST_F(FormProvisioningTest, ABenchRunShowsEachUnitRecordsItAndExportsTheRecords) {
  SimulatedBench bench(2);
  const PortMap ports = bench.Ports();
  WritePorts({{"COM1", *ports.PathOf(1)}, {"COM2", *ports.PathOf(2)}});
  TFormProvisioning& window = CreateBoth();
  Ui::TFormProvisioning& u = window.ui();
  Choose(WriteJobFiles(Dir()));
  u.lbledtOperator->setText(QStringLiteral("ana"));
  u.lbledtBench->setText(QStringLiteral("line-1"));
  u.btnStart->click();
  ASSERT_TRUE(window.Running());
  EXPECT_FALSE(u.btnStart->isEnabled());
  EXPECT_FALSE(u.btnOpenJob->isEnabled());
  EXPECT_FALSE(u.lbledtOperator->isEnabled()) << "settings are fixed while the bench runs";
  EXPECT_TRUE(u.btnStop->isEnabled());
  const ShownRow first = RowOf(u, "COM1");
  const ShownRow second = RowOf(u, "COM2");
  ASSERT_NE(first.result, nullptr);
  ASSERT_NE(second.result, nullptr);

  bench.Port(1).Plug(SimulatedBench::Unit(kSerial));
  sim::ControllerSetup otherProduct = sim::DefaultSetup(2);  // a product the job does not accept
  otherProduct.memory = sim::FactoryMemory(otherProduct);
  bench.Port(2).Plug(otherProduct);

  QTRY_VERIFY_WITH_TIMEOUT(!first.result->text().isEmpty() && !second.result->text().isEmpty(), kBenchTimeoutMs);
  // The result reads as its counter's caption, in the counter's colour family.
  EXPECT_EQ(first.result->text(), u.lblDoneCaption->text());
  EXPECT_TRUE(second.result->text().startsWith(u.lblRefusedCaption->text() + ": "))
      << second.result->text().toStdString();
  EXPECT_FALSE(second.result->toolTip().isEmpty()) << "the reason";
  const QColor done = first.result->palette().color(QPalette::Window);
  const QColor refused = second.result->palette().color(QPalette::Window);
  EXPECT_TRUE(first.result->autoFillBackground());
  EXPECT_GT(done.green(), done.red());
  EXPECT_NE(done, refused);
  EXPECT_TRUE(first.unit->text().contains(QString::fromStdString(FormatSerial(kSerial))));
  QTRY_COMPARE_WITH_TIMEOUT(first.progress->value(), 100, kBenchTimeoutMs);
  // The port's state in the language in use, as its hidden caption holds it.
  EXPECT_EQ(first.phase->text(), "请拔下设备");
  EXPECT_EQ(first.phase->text(), u.lblPhaseUnplug->text());
  QTRY_COMPARE_WITH_TIMEOUT(u.lblDone->text(), QStringLiteral("1"), kBenchTimeoutMs);
  QTRY_COMPARE_WITH_TIMEOUT(u.lblRefused->text(), QStringLiteral("1"), kBenchTimeoutMs);
  EXPECT_EQ(u.lblFailed->text(), "0");
  EXPECT_EQ(bench.Port(1).Config().BattOVP(), JobBlock().BattOVP()) << "the unit holds the job";

  // Closing is refused while the bench runs; Stop ends it once every port has ended.
  window.show();
  window.reject();
  EXPECT_TRUE(window.isVisible());
  u.btnStop->click();
  EXPECT_FALSE(u.btnStop->isEnabled());
  QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kBenchTimeoutMs);
  EXPECT_TRUE(u.btnStart->isEnabled());
  EXPECT_TRUE(u.lbledtOperator->isEnabled());
  window.reject();
  EXPECT_FALSE(window.isVisible());

  // The records went to commissioning.db beside LUM.INI.
  const auto stored = store::OpenRecordStore(Dir())->Records();
  ASSERT_EQ(stored.size(), 2u);
  for (const auto& record : stored) {
    EXPECT_EQ(record.operatorName, "ana");
    EXPECT_EQ(record.bench, "line-1");
    EXPECT_EQ(record.job, "street");
  }

  const std::string csv = Dir() + "/records.csv";
  dialogs_.AnswerFileName(QString::fromStdString(csv));
  u.btnExportRecords->click();
  EXPECT_TRUE(dialogs_.Errors().empty());
  std::ifstream in(csv);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << "a header and one line per record";
  EXPECT_EQ(lines[0].rfind("time_utc,bench,operator,port,job", 0), 0u);
  std::string all = lines[1] + lines[2];
  EXPECT_NE(all.find(",done,"), std::string::npos);
  EXPECT_NE(all.find(",refused,"), std::string::npos);

  // The job's report and its units' labels, as PDF files.
  for (QPushButton* button : {u.btnReport, u.btnLabels}) {
    const std::string pdf = Dir() + "/" + button->objectName().toStdString() + ".pdf";
    dialogs_.AnswerFileName(QString::fromStdString(pdf));
    button->click();
    std::ifstream file(pdf, std::ios::binary);
    std::string head(5, '\0');
    file.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-") << pdf;
  }
  EXPECT_TRUE(dialogs_.Errors().empty());
}

// A records server that cannot be reached: the unit is provisioned, its record waits in the
// spool, and the window says how many wait and, on the counter's tip, why.
TEST_F(FormProvisioningTest, RecordsWaitingInTheSpoolAreCountedInTheWindow) {
  SimulatedBench bench(1);
  WritePorts({{"COM1", *bench.Ports().PathOf(1)}});
  TFormProvisioning& window = CreateBoth();
  Ui::TFormProvisioning& u = window.ui();
  Choose(WriteJobFiles(Dir()));
  // Nothing listens on port 1 of this machine: the server is away, not refusing a login.
  u.lbledtDatabase->setText(QStringLiteral("postgresql://bench@127.0.0.1:1/records"));
  u.btnStart->click();
  ASSERT_TRUE(window.Running());
  EXPECT_EQ(u.lblSpooled->text(), "0");
  bench.Port(1).Plug(SimulatedBench::Unit(kSerial));
  QTRY_COMPARE_WITH_TIMEOUT(u.lblDone->text(), QStringLiteral("1"), kBenchTimeoutMs);
  QTRY_COMPARE_WITH_TIMEOUT(u.lblSpooled->text(), QStringLiteral("1"), kBenchTimeoutMs);
  EXPECT_TRUE(u.lblSpooled->toolTip().contains(QStringLiteral("127.0.0.1"))) << u.lblSpooled->toolTip().toStdString();
  u.btnStop->click();
  QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kBenchTimeoutMs);
}

TEST_F(FormProvisioningTest, TheToolsMenuOpensIt) {
  TFormProvisioning& window = CreateBoth();
  Ui::TFormLUM& u = Window().ui();
  EXPECT_TRUE(u.MenuTools->actions().contains(u.actProvisioning));
  int shown = 0;
  QObject::connect(&window, &QDialog::finished, [&] { ++shown; });
  // A modal dialog's loop runs until the queued reject closes it.
  QTimer::singleShot(0, &window, &QDialog::reject);
  u.actProvisioning->trigger();
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace lum::test
