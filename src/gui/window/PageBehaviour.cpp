// How the window reacts to the user around its pages: the entry tree, the modified flag, the
// device type chosen and the numeric fields' common behaviour.
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <string>
#include <utility>

#include "BatteryPage.h"
#include "DevicePage.h"
#include "ExtensionsPage.h"
#include "FormLUM.h"
#include "ImageLists.h"
#include "LoadPage.h"
#include "PageFields.h"
#include "RangeMarks.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "language/DeviceText.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr char kSelectedLine[] = "[%s] Currently selected object is \"%s\" @0x%.8p.";
// The selected entry's identity is shown as 8 hexadecimal digits.
constexpr uintptr_t kIdentityMask = 0xFFFFFFFFu;

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileNodeText(const TDEVICE_CONFIG& entry) {
  const std::string name = FileNamePart(entry.Name);
  return name.empty() ? names::kNewFileNode : name;
}
}  // namespace

std::string DeviceNodeText(const TDEVICE_CONFIG& entry) {
  return entry.Model.empty() ? entry.Name : entry.Name + "," + DeviceText(entry.Model);
}

void TFormLUM::ConnectPageHandlers() {
  Ui::TFormLUM& u = *ui_;
  connect(u.tvDevices, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { RunGuarded([this, node] { tvDevicesChange(node); }); });
  // A click on the tree's empty area must not take the highlight off the entry shown.
  connect(u.tvDevices, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!rebuilding_tree_ && ui_->tvDevices->selectedItems().isEmpty()) RestoreTreeSelection();
  });
  Bind(u.tsBase, &DevicePage::typeTaken, [this] { cbbDeviceTypesChange(); });
  connect(u.tsPower, &BatteryPage::modified, this, &TFormLUM::MarkModified);
  connect(u.tsOther, &ExtensionsPage::modified, this, &TFormLUM::MarkModified);
  connect(u.tsLoad, &LoadPage::modified, this, &TFormLUM::MarkModified);
  Bind(u.tsLoad, &LoadPage::channelChosen, [this] {
    if (TDEVICE_CONFIG* entry = CurrentEntry()) Load().SwitchChannel(entry->Config);
  });
  connect(u.tsLoad, &LoadPage::channelShown, this,
          [this](const TCONFIG_BLOCK& block, int channel) { MarkValuesOutOfRange(*this, block, channel); });
}

void TFormLUM::MarkModified() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr) return;
  entry->Modified = true;
  ui_->actSaveConfigToFile->setEnabled(true);
  ui_->actWriteToDevice->setEnabled(true);
}

void TFormLUM::RebuildEntryTree(const TDEVICE_CONFIG* select) {
  QTreeWidget& tree = *ui_->tvDevices;
  rebuilding_tree_ = true;
  tree.clear();
  node_entries_.clear();
  auto addNode = [&](const std::string& text, TDEVICE_CONFIG* entry, int picture) {
    auto* node = new QTreeWidgetItem(QStringList{QString::fromStdString(text)});
    node->setIcon(0, ImageList16(picture));
    node->setToolTip(0, node->text(0));  // a long name is cut by the tree's width
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    node_entries_[node] = entry;
    tree.addTopLevelItem(node);
  };
  for (const auto& entry : Entries().FileEntries()) addNode(FileNodeText(*entry), entry.get(), picture::kFileNode);
  for (const auto& entry : Entries().DeviceEntries())
    addNode(DeviceNodeText(*entry), entry.get(), picture::kDeviceNode);
  rebuilding_tree_ = false;
  if (tree.topLevelItemCount() == 0) return;
  QTreeWidgetItem* chosen = tree.topLevelItem(0);
  for (const auto& [node, entry] : node_entries_)
    if (select != nullptr && entry == select) chosen = const_cast<QTreeWidgetItem*>(node);
  tree.setCurrentItem(chosen);
}

QStringList TFormLUM::UnkeptEntryNames() const {
  QStringList names;
  for (const auto& entry : session_->Entries().FileEntries())
    if (HoldsUnkeptChanges(*entry)) names << QString::fromStdString(FileNodeText(*entry));
  for (const auto& entry : session_->Entries().DeviceEntries())
    if (HoldsUnkeptChanges(*entry)) names << QString::fromStdString(DeviceNodeText(*entry));
  return names;
}

void TFormLUM::RestoreTreeSelection() {
  auto reselect = [this] {
    QTreeWidget& tree = *ui_->tvDevices;
    const QSignalBlocker block(tree);
    for (const auto& [node, entry] : node_entries_) {
      if (entry != CurrentEntry()) continue;
      tree.setCurrentItem(const_cast<QTreeWidgetItem*>(node));
      StatusPanel(names::kNodePanel).setText(node->text(0));
    }
  };
  reselect();
  // A mouse click selects its node only after the change was announced: undo that as well.
  QTimer::singleShot(0, this, reselect);
}

void TFormLUM::tvDevicesChange(QTreeWidgetItem* node) {
  if (node == nullptr || rebuilding_tree_) return;
  const auto found = node_entries_.find(node);
  if (found == node_entries_.end()) return;
  StatusPanel(names::kNodePanel).setText(node->text(0));
  // Until the edits are applied, the pages still show the entry shown until now: so do the
  // tree and the status bar.
  ApplyOutcome outcome = ApplyOutcome::Cancelled;
  try {
    outcome = ConfirmApply();
  } catch (...) {
    RestoreTreeSelection();
    throw;
  }
  if (outcome == ApplyOutcome::Cancelled) {
    RestoreTreeSelection();
    return;
  }
  TDEVICE_CONFIG* entry = found->second;
  Entries().SetCurrentEntry(entry);
  Load().ForgetShownChannel();  // nothing shown for the previous entry is ever stored into this one
  ShowEntry();
  const auto identity = static_cast<int64_t>(reinterpret_cast<uintptr_t>(entry) & kIdentityMask);
  observer_.InfoLine(FormatText(kSelectedLine, {NowStamp(), node->text(0).toStdString(), identity}));
}

void TFormLUM::cbbDeviceTypesChange() {
  // Empty pages come back with the entry's own values, read under the type chosen.
  if (pages_empty_ && CurrentEntry() != nullptr)
    ShowPages(CurrentEntry()->Config);
  else
    ApplyCapabilities();
  ShowDeviceTypeInStatusBar();
  MarkModified();
}

}  // namespace lum
