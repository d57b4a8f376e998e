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

  Ui::TFormLUM& u = main_.ui();
  connect(u.actNightProfile, &QAction::triggered, this, [this] { actNightProfileExecute(); });
  auto refresh = [this] { Refresh(); };
  connect(u.StringGrid, &QTableWidget::itemChanged, this, refresh);
  connect(u.cbbWorkMode, &QComboBox::currentIndexChanged, this, refresh);
  connect(&main_.Device(), &DevicePage::selectedTypeChanged, this, refresh);
  connect(u.chkLoopMode, &QCheckBox::toggled, this, refresh);
  connect(u.chkPWMDIM, &QCheckBox::toggled, this, refresh);
  connect(u.lbledtCC, &QLineEdit::textChanged, this, refresh);
  connect(u.rgChannel, &RadioGroup::itemIndexChanged, this, refresh);
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

// Unlike storing the page, a rated current that is not (yet) a number does not stop the
// picture: the channel's stored current stands in for it.
ChannelSchedule TFormNightProfile::PageSchedule(ConstChannel stored) const {
  Ui::TFormLUM& u = main_.ui();
  ChannelSchedule schedule = ScheduleOf(stored);
  schedule.mode = PackMode(u.cbbWorkMode->currentIndex(), u.chkLoopMode->isChecked());
  if (!u.lbledtCC->testAttribute(Qt::WA_ForceDisabled)) {
    try {
      schedule.ratedCurrentMa = ParseScaled(u.lbledtCC->text().toStdString(), kScaleMilli);
    } catch (const ConversionError&) {
    }
  }
  for (int r = 1; r <= block_layout::kSegments; ++r)
    schedule.segments[static_cast<size_t>(r - 1)] = {
        static_cast<uint16_t>(GridInteger(*u.StringGrid, timing_grid::kMinutesColumn, r)),
        static_cast<uint8_t>(GridInteger(*u.StringGrid, timing_grid::kPowerColumn, r))};
  return schedule;
}

void TFormNightProfile::Refresh() {
  Ui::TFormLUM& u = main_.ui();
  std::vector<NightProfileView::Output> outputs;
  const int row = main_.Device().SelectedRow();
  const TDEVICE_CONFIG* entry = main_.CurrentEntry();
  if (entry != nullptr) {
    const int channels = ChannelsOfRow(row);
    for (int c = 0; c < channels; ++c) {
      const ConstChannel stored = entry->Config.Channel(kPageGroup, c);
      const ChannelSchedule schedule = c == main_.Load().ShownChannel() ? PageSchedule(stored) : ScheduleOf(stored);
      const QString output =
          QString::fromStdString(FormatText(main_.Messages().Text(msg::kChannelItem), {int64_t{c + 1}}));
      const QString mode = u.cbbWorkMode->itemText(schedule.mode & block_bits::kWorkModeMask);
      outputs.push_back(
          {mode.isEmpty() ? output : QStringLiteral("%1 · %2").arg(output, mode), ComputeNightProfile(schedule)});
    }
  }
  View().SetOutputs(std::move(outputs));
}

}  // namespace lum
