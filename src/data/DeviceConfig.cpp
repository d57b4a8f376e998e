#include "data/DeviceConfig.h"

#include <algorithm>
#include <stdexcept>

namespace lum {

namespace {
bool ListHolds(const EntryStore::List& list, const TDEVICE_CONFIG* entry) {
  return std::any_of(list.begin(), list.end(), [entry](const auto& e) { return e.get() == entry; });
}
}  // namespace

bool HoldsUnkeptChanges(const TDEVICE_CONFIG& entry) {
  const std::optional<TCONFIG_BLOCK>& kept = entry.Kept ? entry.Kept : entry.AsRead;
  return kept.has_value() && entry.Config != *kept;
}

TDEVICE_CONFIG& EntryStore::AddFileEntry(std::unique_ptr<TDEVICE_CONFIG> entry) {
  file_entries_.push_back(std::move(entry));
  return *file_entries_.back();
}

TDEVICE_CONFIG& EntryStore::AddDeviceEntry(std::unique_ptr<TDEVICE_CONFIG> entry) {
  device_entries_.push_back(std::move(entry));
  return *device_entries_.back();
}

void EntryStore::ClearDeviceEntries() {
  if (ListHolds(device_entries_, current_)) current_ = file_entries_.empty() ? nullptr : file_entries_.front().get();
  device_entries_.clear();
}

void EntryStore::RemoveDeviceEntry(const TDEVICE_CONFIG* entry) {
  const auto found =
      std::find_if(device_entries_.begin(), device_entries_.end(), [entry](const auto& e) { return e.get() == entry; });
  if (found == device_entries_.end()) return;
  if (current_ == entry)
    current_ = found != device_entries_.begin() ? std::prev(found)->get()
               : file_entries_.empty()          ? nullptr
                                                : file_entries_.front().get();
  device_entries_.erase(found);
}

void EntryStore::SetCurrentEntry(TDEVICE_CONFIG* entry) {
  if (entry != nullptr && !Contains(entry)) throw std::logic_error("CurrentEntry must belong to an entry list");
  current_ = entry;
}

bool EntryStore::Contains(const TDEVICE_CONFIG* entry) const {
  return ListHolds(file_entries_, entry) || ListHolds(device_entries_, entry);
}

}  // namespace lum
