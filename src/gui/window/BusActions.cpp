// Several controllers on one line, from the device tree's menu: a port made a bus in LUM.INI
// and scanned, and a controller given a new bus address on the session's thread.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <algorithm>

#include "FormLUM.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "link/BusAddresses.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

// What the bus dialog offers for a port that is not a bus yet.
constexpr char kFirstBusAddresses[] = "1-32";

// The ports of the mapping, by name, whether they open now or not.
std::vector<int> MappedPorts(const PortMap& ports) {
  std::vector<int> mapped;
  for (int n = kFirstComPort; n <= kLastComPort; ++n)
    if (ports.PathOf(n)) mapped.push_back(n);
  return mapped;
}

// The port's [Bus] line as LUM.INI holds it, else the first addresses offered.
QString BusLine(const std::string& workDir, int n) {
  for (const auto& [key, value] : Settings(workDir).BusSection())
    if (ComNumber(key) == n) return QString::fromStdString(value);
  return QString::fromLatin1(kFirstBusAddresses);
}

}  // namespace

void TFormLUM::ConnectBusActions() {
  QTreeWidget& tree = *ui_->tvDevices;
  tree.setContextMenuPolicy(Qt::CustomContextMenu);
  tree_menu_ = new QMenu(this);
  tree_menu_->setObjectName(QStringLiteral("pmDevices"));
  QAction* look = tree_menu_->addAction(QString());
  look->setObjectName(QStringLiteral("actBusLook"));
  QAction* assign = tree_menu_->addAction(QString());
  assign->setObjectName(QStringLiteral("actAssignAddress"));
  Bind(look, &QAction::triggered, [this] { actBusLookExecute(); });
  Bind(assign, &QAction::triggered, [this] { actAssignAddressExecute(); });
  connect(&tree, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { RunGuarded([this, pos] { tvDevicesContextMenu(pos); }); });
}

void TFormLUM::tvDevicesContextMenu(const QPoint& pos) {
  QTreeWidget& tree = *ui_->tvDevices;
  const auto found = node_entries_.find(tree.itemAt(pos));
  const TDEVICE_CONFIG* entry = found != node_entries_.end() ? found->second : nullptr;
  const bool device = entry != nullptr && entry->Port != 0;
  menu_port_ = device ? entry->Port : 0;
  menu_address_ = device ? entry->BusAddress : 0;
  // The texts are made as the menu opens: it always speaks the language in use.
  const QList<QAction*> actions = tree_menu_->actions();
  actions.at(0)->setText(Message(msg::kBusLookAction));
  actions.at(0)->setEnabled(!MappedPorts(ports_).empty());
  actions.at(1)->setText(Message(msg::kAssignAddressAction));
  actions.at(1)->setEnabled(!Entries().DeviceEntries().empty());
  tree_menu_->popup(tree.viewport()->mapToGlobal(pos));
}

void TFormLUM::actBusLookExecute() {
  ListPorts();
  const std::vector<int> mapped = MappedPorts(ports_);
  if (mapped.empty()) return;
  BusQuestion question;
  question.title = Message(msg::kBusLookTitle);
  question.portLabel = Message(msg::kBusPort);
  question.addressesLabel = Message(msg::kBusAddressesPrompt);
  for (const int n : mapped) question.ports << QString::fromStdString(ComName(n));
  const auto offered = std::find(mapped.begin(), mapped.end(), menu_port_);
  question.port = offered != mapped.end() ? static_cast<int>(offered - mapped.begin()) : 0;
  question.addresses = BusLine(work_dir_, mapped[static_cast<size_t>(question.port)]);
  const std::optional<BusAnswer> answer = dialogs().AskBus(question);
  if (!answer || answer->port < 0 || answer->port >= static_cast<int>(mapped.size())) return;
  const std::string typed = answer->addresses.trimmed().toStdString();
  std::string error;
  if (!ParseBusAddresses(typed, &error)) {
    dialogs().ShowError(QString::fromStdString(FormatText(messages_.Text(msg::kBusAddressesRefused), {typed})));
    return;
  }
  Settings(work_dir_).SetBus(ComName(mapped[static_cast<size_t>(answer->port)]), typed);
  actConnectDeviceExecute();
}

void TFormLUM::actAssignAddressExecute() {
  const EntryStore::List& devices = Entries().DeviceEntries();
  if (devices.empty()) {
    dialogs().ShowError(Message(msg::kNoControllerToAssign));
    return;
  }
  AddressQuestion question;
  question.title = Message(msg::kAssignAddressTitle);
  question.controllerLabel = Message(msg::kAssignController);
  question.addressLabel = Message(msg::kAssignNewAddress);
  for (size_t i = 0; i < devices.size(); ++i) {
    question.controllers << QString::fromStdString(DeviceNodeText(*devices[i]));
    if (devices[i]->Port == menu_port_ && devices[i]->BusAddress == menu_address_)
      question.controller = static_cast<int>(i);
  }
  const std::optional<AddressAnswer> answer = dialogs().AskNewAddress(question);
  if (!answer || answer->controller < 0 || answer->controller >= static_cast<int>(devices.size())) return;
  const std::string typed = answer->address.trimmed().toStdString();
  std::string error;
  const std::optional<uint8_t> to = ParseBusAddress(typed, &error);
  if (!to) {
    dialogs().ShowError(QString::fromStdString(FormatText(messages_.Text(msg::kAssignAddressRefused), {typed})));
    return;
  }
  const TDEVICE_CONFIG& chosen = *devices[static_cast<size_t>(answer->controller)];
  PreparedSession().AssignAddress(chosen.Port, chosen.BusAddress, *to,
                                  [this, port = chosen.Port, from = chosen.BusAddress, to = *to, name = chosen.Name](
                                      AddressResult result) { TellAddressResult(port, from, to, name, result); });
}

void TFormLUM::TellAddressResult(int port, uint8_t from, uint8_t to, const std::string& name, AddressResult result) {
  const auto said = [&](int slot, uint8_t address) {
    return FormatText(messages_.Text(msg::kAddressOf), {name, FormatText(messages_.Text(slot), {int64_t{address}})});
  };
  std::string text;
  switch (result) {
    case AddressResult::Set:
      text = said(msg::kAddressSet, to);
      break;
    case AddressResult::Taken:
      text = said(msg::kAddressTaken, to);
      break;
    case AddressResult::NoController:
      text = said(msg::kAddressNoController, from);
      break;
    case AddressResult::Unverified:
      text = said(msg::kAddressUnverified, to);
      break;
    case AddressResult::NoPort:
      text = FormatText(messages_.Text(msg::kAssignPortClosed), {ComName(port)});
      break;
  }
  observer_.InfoLine(text);
  if (result != AddressResult::Set) {
    dialogs().ShowError(QString::fromStdString(text));
    return;
  }
  // The controller now answers there: its entry, if still listed, is named by its new address.
  for (const auto& entry : Entries().DeviceEntries()) {
    if (entry->Port != port || entry->BusAddress != from) continue;
    if (from != 0) {
      entry->BusAddress = to;
      entry->Name = BusEntryName(ComName(port), to);
    }
    entry->Config.SetAddress(to);
    for (std::optional<TCONFIG_BLOCK>* block : {&entry->AsRead, &entry->Kept})
      if (*block) (*block)->SetAddress(to);
    RebuildEntryTree(entry.get());
    break;
  }
  dialogs().ShowInformation(QString::fromStdString(text));
}

void TFormLUM::TellSharedAddresses() {
  QStringList shared;
  for (const SharedAddress& spot : session_->SharedAddresses())
    shared << QString::fromStdString(
        FormatText(messages_.Text(msg::kSharedAddress), {ComName(spot.port), int64_t{spot.address}}));
  if (shared.isEmpty()) return;
  QLabel& panel = StatusPanel(names::kNodePanel);
  panel.setText(shared.join(QStringLiteral("; ")));
  panel.setToolTip(panel.text());  // several may not fit the panel
}

}  // namespace lum
