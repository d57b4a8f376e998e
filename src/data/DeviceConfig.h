#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigBlock.h"

namespace lum {

/// One configuration entry: the identity read from a controller and its block.
struct TDEVICE_CONFIG {
  bool FromDevice = false;
  std::string Name;  // COMn (COMn #a on a bus) for device entries, the full path for file entries, empty for "New File"
  int Port = 0;      // n of COMn for a device entry
  uint8_t BusAddress = 0;  // its address on a bus; 0: the port's one controller
  std::string Model;
  uint32_t SerialNumber = 0;
  uint16_t FirmwareVersion = 0;
  uint16_t FirmwareBuild = 0;
  uint32_t BatchCode = 0;
  bool Modified = false;
  /// A controller answered but some replies of its read never came: the block is not the
  /// controller's configuration, so it is neither written nor saved.
  bool ReadIncomplete = false;
  TCONFIG_BLOCK Config;
  /// The block as the last complete read (or verified write) left the controller; what a
  /// write compares the values it does not send with.
  std::optional<TCONFIG_BLOCK> AsRead;
  /// The block as last opened from or saved to a file, or verified written to a controller;
  /// a device entry without it is compared with AsRead.
  std::optional<TCONFIG_BLOCK> Kept;
};

/// True when the entry's block holds changes that ending the program would lose: it differs
/// from what its file or controller last held.
bool HoldsUnkeptChanges(const TDEVICE_CONFIG& entry);

/// The two entry lists and the current entry. Entries are held by stable address, so
/// growing a list never moves an entry; emptying the device list never leaves
/// CurrentEntry pointing at a discarded entry.
class EntryStore {
 public:
  using List = std::vector<std::unique_ptr<TDEVICE_CONFIG>>;

  const List& FileEntries() const { return file_entries_; }
  const List& DeviceEntries() const { return device_entries_; }
  TDEVICE_CONFIG* CurrentEntry() const { return current_; }

  TDEVICE_CONFIG& AddFileEntry(std::unique_ptr<TDEVICE_CONFIG> entry);
  TDEVICE_CONFIG& AddDeviceEntry(std::unique_ptr<TDEVICE_CONFIG> entry);
  /// Empties DeviceEntries; a CurrentEntry among them falls back to the first file entry.
  void ClearDeviceEntries();
  /// Takes one device entry away; when it was CurrentEntry, the device entry before it
  /// becomes current, or the first file entry when there is none.
  void RemoveDeviceEntry(const TDEVICE_CONFIG* entry);
  /// The entry must belong to one of the lists (or be null).
  void SetCurrentEntry(TDEVICE_CONFIG* entry);
  bool Contains(const TDEVICE_CONFIG* entry) const;

 private:
  List file_entries_;
  List device_entries_;
  TDEVICE_CONFIG* current_ = nullptr;
};

}  // namespace lum
