#include "provision/PortLook.h"

#include "data/TypeTables.h"

namespace lum {

PortLook LookOf(const EntryStore& entries) {
  const auto& devices = entries.DeviceEntries();
  if (devices.empty()) return {LookKind::NotOpened, nullptr};
  const TDEVICE_CONFIG* unit = devices.front().get();
  if (unit->FromDevice) return {LookKind::Read, unit};
  if (unit->ReadIncomplete) return {LookKind::Unreadable, unit};
  const uint32_t product = unit->Config.ProductID();
  if (product != 0 && LookupProductID(product) < 0) return {LookKind::UnknownProduct, unit};
  return {LookKind::Empty, nullptr};
}

}  // namespace lum
