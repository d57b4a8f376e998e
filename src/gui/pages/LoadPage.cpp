#include "LoadPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <array>
#include <string>

#include "FormLUM.h"
#include "KeyFilter.h"
#include "PageFields.h"
#include "RadioGroup.h"
#include "RangeMarks.h"
#include "TimingGrid.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr int kEditorStep = 10;
constexpr int kEditorTag = -1;

// The output's text fields, the field each shows; each is stored while it is enabled itself.
struct ChannelText {
  QLineEdit* edit;
  FieldId field;
};

std::array<ChannelText, 2> ChannelTexts(const Ui::TFormLUM& u) {
  return {{{u.lbledtCC, FieldId::CC}, {u.lbledtCV, FieldId::CV}}};
}
}  // namespace

void LoadPage::BuildGrid() {
  QTableWidget& grid = *window_.ui().StringGrid;
  grid.setItemDelegate(new CentredCellDelegate(&grid));
  SizeGridCellsWhenShown(grid);
  for (int r = 0; r < timing_grid::kRows; ++r)
    for (int c = 0; c < timing_grid::kColumns; ++c) SetGridText(grid, c, r, {});

  // The in-place editor lies over a cell, outside the page's layout.
  seInput_ = new GridSpinEdit(window_.ui().Panel5);
  seInput_->setObjectName(QStringLiteral("seInput"));
  seInput_->setProperty(names::kTagProperty, kEditorTag);
  seInput_->setRange(0, 0);
  seInput_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  seInput_->hide();
  seInput_->installEventFilter(new KeyFilter(
      AcceptsDigitKey, [this] { return seInput_->EditText(); }, [this](QChar typed) { seInputKeyRefused(typed); },
      seInput_));
  seInput_->SetExitHandler([this] { seInputExit(); });
  seInput_->SetCancelHandler([this] { CancelEditing(); });  // Escape
}

void LoadPage::ConnectHandlers() {
  Ui::TFormLUM& u = window_.ui();
  window_.Bind(u.rgChannel, &RadioGroup::itemIndexChanged, [this] { rgChannelClick(); });
  // The list reacts to the user's choice only; showing an output sets it without the handler.
  window_.Bind(u.cbbWorkMode, &QComboBox::activated, [this] { cbbWorkModeChange(); });
  // Check boxes run their behaviour on every change of state, by program or by click.
  window_.Bind(u.chkPWMDIM, &QCheckBox::toggled, [this] { chkPWMDIMClick(); });
  for (QCheckBox* box : {u.chkLoopMode, u.chkEnergySaving})
    window_.Bind(box, &QCheckBox::toggled, [this] { window_.chkLoopModeClick(); });
  for (const ChannelText& text : ChannelTexts(u))
    window_.Bind(text.edit, &QLineEdit::textChanged, [this, edit = text.edit] { window_.lbledtSCVChange(*edit); });

  QObject::connect(u.StringGrid, &QTableWidget::currentCellChanged, &window_, [this](int row, int column) {
    window_.RunGuarded([=, this] { StringGridSelectCell(column, row); });
  });
  QObject::connect(u.StringGrid, &QTableWidget::cellPressed, &window_, [this](int row, int column) {
    window_.RunGuarded([=, this] { StringGridSelectCell(column, row); });
  });
  window_.Bind(seInput_->Editor(), &QLineEdit::textChanged, [this] { seInputChange(); });
}

void LoadPage::ApplyCapabilities(const Capabilities& caps, int channels) {
  Ui::TFormLUM& u = window_.ui();
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
  Ui::TFormLUM& u = window_.ui();
  // Only ever checked here; ApplyCapabilities has unchecked them.
  if (OwnEnabled(u.chkPWMDIM) && flags.pwmDimming) u.chkPWMDIM->setChecked(true);
  if (OwnEnabled(u.chkEnergySaving) && flags.energySaving) u.chkEnergySaving->setChecked(true);
  ShowChannel(block, 0);
}

void LoadPage::StoreFlags(PageFlags& flags) const {
  const Ui::TFormLUM& u = window_.ui();
  flags.pwmDimming = u.chkPWMDIM->isChecked();
  flags.energySaving = u.chkEnergySaving->isChecked();
}

void LoadPage::Store(TCONFIG_BLOCK& block) {
  const int channel = window_.ui().rgChannel->ItemIndex();
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, channel)) StoreChannel(block, channel);
}

void LoadPage::ShowChannel(const TCONFIG_BLOCK& block, int channel) {
  Ui::TFormLUM& u = window_.ui();
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
  MarkValuesOutOfRange(window_, block, channel);
}

void LoadPage::StoreChannel(TCONFIG_BLOCK& block, int channel) {
  Ui::TFormLUM& u = window_.ui();
  TCHANNEL_CONFIG record = block.Channel(kPageGroup, channel);
  record.SetMode(PackMode(u.cbbWorkMode->currentIndex(), u.chkLoopMode->isChecked()));
  for (const ChannelText& text : ChannelTexts(u))
    if (OwnEnabled(text.edit))
      StoreFieldText(*text.edit, text.field, block, {kPageGroup, channel}, window_.Messages(), window_.Observer());
  for (int r = 1; r <= block_layout::kSegments; ++r) {
    TTIME_SEGMENT segment = record.Timing(r - 1);
    segment.SetMinutes(static_cast<uint16_t>(GridInteger(*u.StringGrid, timing_grid::kMinutesColumn, r)));
    segment.SetPower(static_cast<uint8_t>(GridInteger(*u.StringGrid, timing_grid::kPowerColumn, r)));
  }
}

QString LoadPage::ChannelCaption(int k) const {
  return QString::fromStdString(FormatText(window_.Messages().Text(msg::kChannelItem), {int64_t{k + 1}}));
}

void LoadPage::WriteGridCaptions() {
  QTableWidget& grid = *window_.ui().StringGrid;
  SetGridText(grid, 0, 0, window_.Message(msg::kGridTitle));
  for (int r = 1; r <= block_layout::kSegments; ++r)
    SetGridText(grid, 0, r, window_.Message(msg::kFirstSegment + r - 1));
  SetGridText(grid, timing_grid::kMinutesColumn, 0, window_.Message(msg::kMinutesColumn));
  SetGridText(grid, timing_grid::kPowerColumn, 0, window_.Message(msg::kPowerColumn));
  SizeGrid();
}

void LoadPage::RefreshShownTexts() {
  Ui::TFormLUM& u = window_.ui();
  const int mode = u.cbbWorkMode->currentIndex();
  SetGridText(*u.StringGrid, 0, timing_grid::kMorningRow,
              window_.Message(mode > 0 ? msg::kMorningSegment : msg::kFifthSegment));
  SizeGrid();
  for (int k = 0; k < u.rgChannel->Count(); ++k) u.rgChannel->SetItemText(k, ChannelCaption(k));
}

// A hidden grid is sized when shown: measuring its captions earlier would load the fonts of
// texts that a language file replaces unseen.
void LoadPage::SizeGrid() {
  QTableWidget& grid = *window_.ui().StringGrid;
  if (grid.isVisible()) SizeGridCells(grid);
}

void LoadPage::rgChannelClick() {
  RadioGroup& group = *window_.ui().rgChannel;
  const int selected = group.ItemIndex();
  TDEVICE_CONFIG* entry = window_.CurrentEntry();
  if (selected == shown_channel_ || entry == nullptr) return;
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, shown_channel_)) {
    try {
      StoreChannel(entry->Config, shown_channel_);
    } catch (...) {
      // The page still shows the old channel, so the selector does too.
      group.SetItemIndexQuietly(shown_channel_);
      throw;
    }
  }
  shown_channel_ = selected;
  if (TCONFIG_BLOCK::ChannelInRange(kPageGroup, selected)) ShowChannel(entry->Config, selected);
}

void LoadPage::cbbWorkModeChange() {
  RefreshShownTexts();
  window_.MarkModified();
}

void LoadPage::chkPWMDIMClick() {
  Ui::TFormLUM& u = window_.ui();
  u.lblCC->setEnabled(u.chkPWMDIM->isChecked());
  u.lbledtCC->setEnabled(u.chkPWMDIM->isChecked());
  u.chkEnergySaving->setEnabled(u.chkPWMDIM->isChecked());
  window_.MarkModified();
}

void LoadPage::StringGridSelectCell(int column, int row) {
  seInput_->hide();
  if (row < 1 || (column != timing_grid::kMinutesColumn && column != timing_grid::kPowerColumn)) return;
  QTableWidget& grid = *window_.ui().StringGrid;
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
  QTableWidget& grid = *window_.ui().StringGrid;
  SetGridText(grid, grid.currentColumn(), grid.currentRow(), QString::number(seInput_->LimitedValue()));
  window_.MarkModified();
}

void LoadPage::seInputExit() { seInput_->hide(); }

void LoadPage::CancelEditing() {
  QTableWidget& grid = *window_.ui().StringGrid;
  SetGridText(grid, grid.currentColumn(), grid.currentRow(), QString::number(seInput_->ValueAtStart()));
  grid.setFocus();
  seInputExit();
}

void LoadPage::seInputKeyRefused(QChar typed) {
  const QTableWidget& grid = *window_.ui().StringGrid;
  const QString field =
      GridText(grid, 0, grid.currentRow()) + QLatin1Char(' ') + GridText(grid, grid.currentColumn(), 0);
  const std::string text = FormatText(window_.Messages().Text(msg::kGridKeyRefused),
                                      {field.toStdString(), std::to_string(seInput_->minimum()),
                                       std::to_string(seInput_->maximum()), QString(typed).toStdString()});
  CancelEditing();
  window_.dialogs().ShowError(QString::fromStdString(text));
}

}  // namespace lum
