#include "FormNightProfile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>
#include <algorithm>

#include "DevicePage.h"
#include "FormLUM.h"
#include "LoadPage.h"
#include "NightProfileView.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "base/SafeFormat.h"
#include "data/NumberFormats.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"
#include "ui_FormNightProfile.h"

namespace lum {

namespace {
constexpr int kGapToMainWindow = 8;
}  // namespace

TFormNightProfile::TFormNightProfile(TFormLUM& mainWindow)
    : QWidget(&mainWindow, Qt::Tool), ui_(std::make_unique<Ui::TFormNightProfile>()), main_(mainWindow) {
  ui_->setupUi(this);
  View().SetMessages(&main_.Messages());

  connect(main_.ui().actNightProfile, &QAction::triggered, this, [this] { actNightProfileExecute(); });
  auto refresh = [this] { Refresh(); };
  connect(&main_.Load(), &LoadPage::scheduleChanged, this, refresh);
  connect(&main_.Device(), &DevicePage::selectedTypeChanged, this, refresh);
  connect(&main_, &TFormLUM::LanguageApplied, this, refresh);
  Refresh();
}

TFormNightProfile::~TFormNightProfile() = default;

NightProfileView& TFormNightProfile::View() { return *ui_->pbNightProfile; }

void TFormNightProfile::actNightProfileExecute() {
  show();
  raise();
}

void TFormNightProfile::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
  if (!placed_) {
    // Beside the main window, at the height of its pages, but wholly on the screen: a main
    // window near the right edge leaves it overlapping instead of cut off.
    QPoint place = main_.frameGeometry().topRight() + QPoint(kGapToMainWindow, 0);
    if (const QScreen* screen = main_.screen()) {
      const QRect room = screen->availableGeometry();
      const QSize size = frameGeometry().size();
      place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
      place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    }
    move(place);
    placed_ = true;
  }
}

void TFormNightProfile::Refresh() {
  std::vector<NightProfileView::Output> outputs;
  const int row = main_.Device().SelectedRow();
  const TDEVICE_CONFIG* entry = main_.CurrentEntry();
  if (entry != nullptr) {
    const int channels = ChannelsOfRow(row);
    for (int c = 0; c < channels; ++c) {
      const ConstChannel stored = entry->Config.Channel(kPageGroup, c);
      const ChannelSchedule schedule =
          c == main_.Load().ShownChannel() ? main_.Load().ShownSchedule(stored) : ScheduleOf(stored);
      const QString output =
          QString::fromStdString(FormatText(main_.Messages().Text(msg::kChannelItem), {int64_t{c + 1}}));
      const QString mode = main_.Load().WorkModeName(schedule.mode & block_bits::kWorkModeMask);
      outputs.push_back(
          {mode.isEmpty() ? output : QStringLiteral("%1 · %2").arg(output, mode), ComputeNightProfile(schedule)});
    }
  }
  View().SetOutputs(std::move(outputs));
}

}  // namespace lum
