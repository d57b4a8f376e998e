#pragma once

#include <QString>

#include "data/ConfigBlock.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"

namespace lum {

class GridSpinEdit;
class TFormLUM;

/// The load page: the outputs of the device type, and for the output shown its work mode, loop
/// mode, timing grid with its in-place editor, PWM dimming, rated current, voltage limit and
/// energy saving.
class LoadPage {
 public:
  explicit LoadPage(TFormLUM& window) : window_(window) {}

  /// The grid's drawing and its in-place editor, which the form cannot express.
  void BuildGrid();
  void ConnectHandlers();
  /// Enables what the capabilities give, lists the outputs and shows the first.
  void ApplyCapabilities(const Capabilities& caps, int channels);
  /// Shows the page's flags and output 1 of the block.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// The page's flags, as its check boxes say.
  void StoreFlags(PageFlags& flags) const;
  /// Stores the output shown into the block; nothing when no output is selected.
  void Store(TCONFIG_BLOCK& block);
  void ShowChannel(const TCONFIG_BLOCK& block, int channel);
  void StoreChannel(TCONFIG_BLOCK& block, int channel);

  /// The channel record whose values the page shows; -1 before any was shown.
  int ShownChannel() const { return shown_channel_; }
  /// Nothing shown for the previous entry is ever stored into the next one.
  void ForgetShownChannel() { shown_channel_ = -1; }
  GridSpinEdit& seInput() { return *seInput_; }

  /// Grid captions from the message table (the language pass writes them too), and the grid
  /// sized for them.
  void WriteGridCaptions();
  /// The row-5 caption for the work mode shown and the outputs' captions.
  void RefreshShownTexts();
  /// Column widths and row heights of the grid from its size and its texts.
  void SizeGrid();

  void rgChannelClick();
  void cbbWorkModeChange();
  void chkPWMDIMClick();
  void StringGridSelectCell(int column, int row);
  void seInputChange();
  void seInputExit();
  /// A key the grid editor does not take: the cell gets back its value from before the
  /// editing, so no part of what was typed is kept, and the user is told why.
  void seInputKeyRefused(QChar typed);

 private:
  QString ChannelCaption(int k) const;
  /// Leaves the editor; the cell holds its value from before the editing again.
  void CancelEditing();

  TFormLUM& window_;
  GridSpinEdit* seInput_ = nullptr;
  int shown_channel_ = -1;
};

}  // namespace lum
