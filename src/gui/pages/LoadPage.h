#pragma once

#include <QString>
#include <memory>

#include "FormPage.h"
#include "data/ConfigBlock.h"
#include "data/NightProfile.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"

namespace Ui {
class LoadPage;
}

namespace lum {

class Dialogs;
class GridSpinEdit;
class LinkObserver;
class MessageTable;

/// The load page: the outputs of the device type, and for the output shown its work mode, loop
/// mode, timing grid with its in-place editor, PWM dimming, rated current, voltage limit and
/// energy saving. It tells the window of every edit by `modified`.
class LoadPage : public FormPage {
  Q_OBJECT

 public:
  explicit LoadPage(QWidget* parent = nullptr);
  ~LoadPage() override;

  /// What the page needs beside itself: the texts of the language in use, where a value not
  /// taken is told and where a refused key is shown. They outlive the page.
  void Attach(const MessageTable& messages, LinkObserver& observer, Dialogs& dialogs);

  /// Enables what the capabilities give, lists the outputs and shows the first.
  void ApplyCapabilities(const Capabilities& caps, int channels);
  /// Shows the page's flags and output 1 of the block.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// The page's flags, as its check boxes say.
  void StoreFlags(PageFlags& flags) const;
  /// Stores the output shown into the block; nothing when no output is selected. Throws
  /// ConversionError at the first text that is not a number.
  void Store(TCONFIG_BLOCK& block);
  /// After the user chose another output: the output shown so far is stored into `block` and
  /// the chosen one shown. When storing throws, the old output stays shown and selected.
  void SwitchChannel(TCONFIG_BLOCK& block);

  /// The channel record whose values the page shows; -1 before any was shown.
  int ShownChannel() const { return shown_channel_; }
  /// Nothing shown for the previous entry is ever stored into the next one.
  void ForgetShownChannel() { shown_channel_ = -1; }
  /// The output shown as the page has it now, over its stored record. A rated current that is
  /// not (yet) a number does not stop the picture: the stored current stands in for it.
  ChannelSchedule ShownSchedule(ConstChannel stored) const;
  /// The name the work mode list gives `mode`, empty for none.
  QString WorkModeName(int mode) const;

  /// Grid captions from the message table (the language pass writes them too), and the grid
  /// sized for them.
  void WriteGridCaptions();
  /// The row-5 caption for the work mode shown and the outputs' captions.
  void RefreshShownTexts();
  /// Column widths and row heights of the grid from its size and its texts.
  void SizeGrid();
  /// Leaves the grid's in-place editor.
  void LeaveEditor();
  GridSpinEdit& seInput() { return *seInput_; }

 signals:
  /// The user changed a value the page shows.
  void modified();
  /// The user chose another output; the window answers with SwitchChannel.
  void channelChosen();
  /// An output of `block` is shown: its values may be marked.
  void channelShown(const lum::TCONFIG_BLOCK& block, int channel);
  /// What the output's night would look like changed: mode, timing, dimming, current, output.
  void scheduleChanged();

 private:
  /// The grid's drawing and its in-place editor, which the form cannot express.
  void BuildGrid();
  void ConnectHandlers();
  void ShowChannel(const TCONFIG_BLOCK& block, int channel);
  void StoreChannel(TCONFIG_BLOCK& block, int channel);
  QString ChannelCaption(int k) const;
  QString Message(int slot) const;
  void EnableRatedCurrent();
  void StringGridSelectCell(int column, int row);
  void seInputChange();
  /// Leaves the editor; the cell holds its value from before the editing again.
  void CancelEditing();
  /// A key the grid editor does not take: the cell gets back its value from before the
  /// editing, so no part of what was typed is kept, and the user is told why.
  void seInputKeyRefused(QChar typed);

  std::unique_ptr<Ui::LoadPage> ui_;
  const MessageTable* messages_ = nullptr;
  LinkObserver* observer_ = nullptr;
  Dialogs* dialogs_ = nullptr;
  GridSpinEdit* seInput_ = nullptr;
  int shown_channel_ = -1;
};

}  // namespace lum
