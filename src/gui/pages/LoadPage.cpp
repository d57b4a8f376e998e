#include "LoadPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <array>
#include <string>

#include "Dialogs.h"
#include "FixedColours.h"
#include "KeyFilter.h"
#include "PageFields.h"
#include "RadioGroup.h"
#include "TimingGrid.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "data/NumberFormats.h"
#include "language/MessageSlots.h"
#include "language/MessageTable.h"
#include "ui_LoadPage.h"

namespace lum {

namespace {
constexpr int kEditorStep = 10;
constexpr int kEditorTag = -1;

// The output's text fields, the field each shows; each is stored while it is enabled itself.
struct ChannelText {
  QLineEdit* edit;
  FieldId field;
};

std::array<ChannelText, 2> ChannelTexts(const Ui::LoadPage& u) {
  return {{{u.lbledtCC, FieldId::CC}, {u.lbledtCV, FieldId::CV}}};
}
}  // namespace

LoadPage::LoadPage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::LoadPage>()) {
  ui_->setupUi(this);
  // The design's fixed colours come with fixed texts on them, readable under any theme.
  SetFixedPageColours(*ui_->Panel5, kPanelColour);
  BuildGrid();
  ConnectHandlers();
  // Until a device type with outputs gives them, there is no work mode to choose.
  ui_->cbbWorkMode->setEnabled(false);
  ui_->chkLoopMode->setEnabled(false);
}

LoadPage::~LoadPage() = default;

void LoadPage::Attach(const MessageTable& messages, LinkObserver& observer, Dialogs& dialogs) {
  messages_ = &messages;
  observer_ = &observer;
  dialogs_ = &dialogs;
}

QString LoadPage::Message(int slot) const { return QString::fromStdString(messages_->Text(slot)); }

void LoadPage::BuildGrid() {
  QTableWidget& grid = *ui_->StringGrid;
  grid.setItemDelegate(new CentredCellDelegate(&grid));
  SizeGridCellsWhenShown(grid);
  for (int r = 0; r < timing_grid::kRows; ++r)
    for (int c = 0; c < timing_grid::kColumns; ++c) SetGridText(grid, c, r, {});

  // The in-place editor lies over a cell, outside the page's layout.
  seInput_ = new GridSpinEdit(ui_->Panel5);
  seInput_->setObjectName(QStringLiteral("seInput"));
  seInput_->setProperty(names::kTagProperty, kEditorTag);
  seInput_->setRange(0, 0);
  seInput_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  seInput_->hide();
  seInput_->installEventFilter(new KeyFilter(
      AcceptsDigitKey, [this] { return seInput_->EditText(); }, [this](QChar typed) { seInputKeyRefused(typed); },
      seInput_));
  seInput_->SetExitHandler([this] { LeaveEditor(); });
  seInput_->SetCancelHandler([this] { CancelEditing(); });  // Escape
}

void LoadPage::ConnectHandlers() {
  Ui::LoadPage& u = *ui_;
  connect(u.rgChannel, &RadioGroup::itemIndexChanged, this, &LoadPage::channelChosen);
  // The list reacts to the user's choice only; showing an output sets it without the handler.
  connect(u.cbbWorkMode, &QComboBox::activated, this, [this] {
    RefreshShownTexts();
    emit modified();
  });
  // Check boxes run their behaviour on every change of state, by program or by click.
  connect(u.chkPWMDIM, &QCheckBox::toggled, this, [this] {
    EnableRatedCurrent();
    emit modified();
  });
  for (QCheckBox* box : {u.chkLoopMode, u.chkEnergySaving})
    connect(box, &QCheckBox::toggled, this, &LoadPage::modified);
  for (const ChannelText& text : ChannelTexts(u))
    connect(text.edit, &QLineEdit::textChanged, this, [this, edit = text.edit] {
      CompleteLeadingPoint(*edit);
      emit modified();
    });
  connect(u.StringGrid, &QTableWidget::currentCellChanged, this,
          [this](int row, int column) { StringGridSelectCell(column, row); });
  connect(u.StringGrid, &QTableWidget::cellPressed, this,
          [this](int row, int column) { StringGridSelectCell(column, row); });
  connect(seInput_->Editor(), &QLineEdit::textChanged, this, [this] { seInputChange(); });

  connect(u.StringGrid, &QTableWidget::itemChanged, this, &LoadPage::scheduleChanged);
  connect(u.cbbWorkMode, &QComboBox::currentIndexChanged, this, &LoadPage::scheduleChanged);
  connect(u.chkLoopMode, &QCheckBox::toggled, this, &LoadPage::scheduleChanged);
  connect(u.chkPWMDIM, &QCheckBox::toggled, this, &LoadPage::scheduleChanged);
  connect(u.lbledtCC, &QLineEdit::textChanged, this, &LoadPage::scheduleChanged);
  connect(u.rgChannel, &RadioGroup::itemIndexChanged, this, &LoadPage::scheduleChanged);
}

void LoadPage::ApplyCapabilities(const Capabilities& caps, int channels) {
  Ui::LoadPage& u = *ui_;
  u.chkPWMDIM->setEnabled(caps.HasPWMDimming);
  u.chkPWMDIM->setChecked(false);

  u.lblCC->setEnabled(caps.HasRatedCurrent);
  u.lbledtCC->setEnabled(caps.HasRatedCurrent);
  u.chkEnergySaving->setEnabled(caps.HasRatedCurrent);
  u.chkEnergySaving->setChecked(false);

  QStringList captions;
  for (int k = 0; k < channels; ++k) captions << ChannelCaption(k);
  u.rgChannel->SetItems(captions);
  // Start-up disables the work mode controls; a device type with outputs gives them back.
  u.cbbWorkMode->setEnabled(channels > 0);
  u.chkLoopMode->setEnabled(channels > 0);
  u.rgChannel->SetItemIndex(0);

  u.lbledtCV->setEnabled(caps.HasVoltageLimit);
  u.lblLimitedV->setEnabled(caps.HasVoltageLimit);
}

void LoadPage::Show(const TCONFIG_BLOCK& block, const PageFlags& flags) {
  Ui::LoadPage& u = *ui_;
  // Only ever checked here; ApplyCapabilities has unchecked them.
  if (OwnEnabled(u.chkPWMDIM) && flags.pwmDimming) u.chkPWMDIM->setChecked(true);
  if (OwnEnabled(u.chkEnergySaving) && flags.energySaving) u.chkEnergySaving->setChecked(true);
  ShowChannel(block, 0);
}

void LoadPage::StoreFlags(PageFlags& flags) const {
  flags.pwmDimming = ui_->chkPWMDIM->isChecked();
  flags.energySaving = ui_->chkEnergySaving->isChecked();
}

void LoadPage::Store(TCONFIG_BLOCK& block) {
  const int channel = ui_->rgChannel->ItemIndex();
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, channel)) StoreChannel(block, channel);
}

void LoadPage::SwitchChannel(TCONFIG_BLOCK& block) {
  RadioGroup& group = *ui_->rgChannel;
  const int selected = group.ItemIndex();
  if (selected == shown_channel_) return;
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, shown_channel_)) {
    try {
      StoreChannel(block, shown_channel_);
    } catch (...) {
      // The page still shows the old channel, so the selector does too.
      group.SetItemIndexQuietly(shown_channel_);
      throw;
    }
  }
  shown_channel_ = selected;
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, selected)) ShowChannel(block, selected);
}

void LoadPage::ShowChannel(const TCONFIG_BLOCK& block, int channel) {
  Ui::LoadPage& u = *ui_;
  const ConstChannel record = block.Channel(kPageGroup, channel);
  const int mode = record.Mode() & block_bits::kWorkModeMask;
  u.cbbWorkMode->setCurrentIndex(mode < u.cbbWorkMode->count() ? mode : -1);
  u.chkLoopMode->setChecked((record.Mode() & block_bits::kLoopMode) != 0);
  for (const ChannelText& text : ChannelTexts(u)) ShowFieldText(*text.edit, text.field, block, {kPageGroup, channel});
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    const ConstTimeSegment segment = record.Timing(r - 1);
    SetGridText(*u.StringGrid, timing_grid::kMinutesColumn, r, QString::number(segment.Minutes()));
    SetGridText(*u.StringGrid, timing_grid::kPowerColumn, r, QString::number(segment.Power()));
  }
  RefreshShownTexts();
  emit channelShown(block, channel);
}

void LoadPage::StoreChannel(TCONFIG_BLOCK& block, int channel) {
  Ui::LoadPage& u = *ui_;
  TCHANNEL_CONFIG record = block.Channel(kPageGroup, channel);
  record.SetMode(PackMode(u.cbbWorkMode->currentIndex(), u.chkLoopMode->isChecked()));
  for (const ChannelText& text : ChannelTexts(u))
    if (OwnEnabled(text.edit))
      StoreFieldText(*text.edit, text.field, block, {kPageGroup, channel}, *messages_, *observer_);
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    TTIME_SEGMENT segment = record.Timing(r - 1);
    segment.SetMinutes(static_cast<uint16_t>(GridInteger(*u.StringGrid, timing_grid::kMinutesColumn, r)));
    segment.SetPower(static_cast<uint8_t>(GridInteger(*u.StringGrid, timing_grid::kPowerColumn, r)));
  }
}

ChannelSchedule LoadPage::ShownSchedule(ConstChannel stored) const {
  const Ui::LoadPage& u = *ui_;
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

QString LoadPage::WorkModeName(int mode) const { return ui_->cbbWorkMode->itemText(mode); }

QString LoadPage::ChannelCaption(int k) const {
  return QString::fromStdString(FormatText(messages_->Text(msg::kChannelItem), {int64_t{k + 1}}));
}

void LoadPage::WriteGridCaptions() {
  QTableWidget& grid = *ui_->StringGrid;
  SetGridText(grid, 0, 0, Message(msg::kGridTitle));
  for (int r = 1; r <= block_layout::kSegments; ++r) SetGridText(grid, 0, r, Message(msg::kFirstSegment + r - 1));
  SetGridText(grid, timing_grid::kMinutesColumn, 0, Message(msg::kMinutesColumn));
  SetGridText(grid, timing_grid::kPowerColumn, 0, Message(msg::kPowerColumn));
  SizeGrid();
}

void LoadPage::RefreshShownTexts() {
  Ui::LoadPage& u = *ui_;
  const int mode = u.cbbWorkMode->currentIndex();
  SetGridText(*u.StringGrid, 0, timing_grid::kMorningRow,
              Message(mode > 0 ? msg::kMorningSegment : msg::kFifthSegment));
  SizeGrid();
  for (int k = 0; k < u.rgChannel->Count(); ++k) u.rgChannel->SetItemText(k, ChannelCaption(k));
}

// A hidden grid is sized when shown: measuring its captions earlier would load the fonts of
// texts that a language file replaces unseen.
void LoadPage::SizeGrid() {
  QTableWidget& grid = *ui_->StringGrid;
  if (grid.isVisible()) SizeGridCells(grid);
}

void LoadPage::EnableRatedCurrent() {
  Ui::LoadPage& u = *ui_;
  u.lblCC->setEnabled(u.chkPWMDIM->isChecked());
  u.lbledtCC->setEnabled(u.chkPWMDIM->isChecked());
  u.chkEnergySaving->setEnabled(u.chkPWMDIM->isChecked());
}

void LoadPage::StringGridSelectCell(int column, int row) {
  seInput_->hide();
  if (row < 1 || (column != timing_grid::kMinutesColumn && column != timing_grid::kPowerColumn)) return;
  QTableWidget& grid = *ui_->StringGrid;
  // The cell's field gives the editor its range and as many digits as its maximum has.
  const ConfigField& field = Field(column == timing_grid::kPowerColumn ? FieldId::Power : FieldId::Minutes);
  seInput_->SetMaxLength(static_cast<int>(std::to_string(field.maximum).size()));
  seInput_->setRange(static_cast<int>(field.minimum), static_cast<int>(field.maximum));
  seInput_->setSingleStep(kEditorStep);

  // Over the cell: its rectangle taken from the grid's viewport into the editor's parent.
  const QRect cell = grid.visualRect(grid.model()->index(row, column));
  seInput_->setGeometry(QRect(grid.viewport()->mapTo(seInput_->parentWidget(), cell.topLeft()), cell.size()));
  seInput_->StartEditing(GridInteger(grid, column, row));
  seInput_->show();
  seInput_->raise();
  seInput_->setFocus();
  seInput_->selectAll();
}

void LoadPage::seInputChange() {
  if (!seInput_->hasFocus() || seInput_->EditText().isEmpty()) return;
  QTableWidget& grid = *ui_->StringGrid;
  SetGridText(grid, grid.currentColumn(), grid.currentRow(), QString::number(seInput_->LimitedValue()));
  emit modified();
}

void LoadPage::LeaveEditor() { seInput_->hide(); }

void LoadPage::CancelEditing() {
  QTableWidget& grid = *ui_->StringGrid;
  SetGridText(grid, grid.currentColumn(), grid.currentRow(), QString::number(seInput_->ValueAtStart()));
  grid.setFocus();
  LeaveEditor();
}

void LoadPage::seInputKeyRefused(QChar typed) {
  const QTableWidget& grid = *ui_->StringGrid;
  const QString field =
      GridText(grid, 0, grid.currentRow()) + QLatin1Char(' ') + GridText(grid, grid.currentColumn(), 0);
  const std::string text = FormatText(messages_->Text(msg::kGridKeyRefused),
                                      {field.toStdString(), std::to_string(seInput_->minimum()),
                                       std::to_string(seInput_->maximum()), QString(typed).toStdString()});
  CancelEditing();
  dialogs_->ShowError(QString::fromStdString(text));
}

}  // namespace lum
