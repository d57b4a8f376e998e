#include "link/SerialDevices.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <libudev.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <system_error>

namespace lum {

namespace {

constexpr const char* kDeviceFolder = "/dev";
constexpr std::string_view kUsbPrefixes[] = {"ttyUSB", "ttyACM"};
constexpr std::string_view kBuiltInPrefix = "ttyS";
// The UART type the serial driver publishes for each port; PORT_UNKNOWN when there is none.
constexpr const char* kPortTypeAttribute = "type";

// name = prefix followed by a decimal number; the number is compared as a number.
bool HasNumberedPrefix(const std::string& name, std::string_view prefix) {
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& name) {
    const size_t digits = name.find_first_of("0123456789");
    const std::string_view prefix(name.data(), digits == std::string::npos ? name.size() : digits);
    const std::string_view number =
        digits == std::string::npos ? std::string_view() : std::string_view(name).substr(digits);
    return std::pair{prefix, number};
  };
  const auto [prefixA, numberA] = split(a);
  const auto [prefixB, numberB] = split(b);
  if (prefixA != prefixB) return prefixA < prefixB;
  if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();  // no leading zeros
  return numberA < numberB;
}

}  // namespace

std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names,
                                            const std::function<bool(const std::string&)>& isRealPort) {
  std::vector<std::string> usb;
  std::vector<std::string> builtIn;
  for (const auto& name : names) {
    if (std::any_of(std::begin(kUsbPrefixes), std::end(kUsbPrefixes),
                    [&](std::string_view prefix) { return HasNumberedPrefix(name, prefix); }))
      usb.push_back(name);
    else if (HasNumberedPrefix(name, kBuiltInPrefix))
      builtIn.push_back(name);
  }
  std::sort(usb.begin(), usb.end(), NaturalLess);
  std::sort(builtIn.begin(), builtIn.end(), NaturalLess);
  for (const auto& name : builtIn)
    if (isRealPort(name)) usb.push_back(name);
  return usb;
}

bool IsBuiltInPortPresent(const std::string& name, const std::string& deviceFolder, const std::string& ttyClassFolder) {
  const std::string path = deviceFolder + "/" + name;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != EACCES && errno != EPERM) return false;
    std::ifstream type(ttyClassFolder + "/" + name + "/" + kPortTypeAttribute);
    int portType = PORT_UNKNOWN;
    return type >> portType && portType != PORT_UNKNOWN;
  }
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

std::string DeviceDescription(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return {};
  const std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
  if (!context) return {};
  const std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
      udev_device_new_from_devnum(context.get(), 'c', info.st_rdev), udev_device_unref);
  if (!device) return {};
  // Owned by `device`: no reference of its own.
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device");
  if (usb == nullptr) return {};
  const auto attribute = [usb](const char* name) {
    const char* value = udev_device_get_sysattr_value(usb, name);
    return std::string(value != nullptr ? value : "");
  };
  std::string text = attribute("manufacturer");
  const std::string product = attribute("product");
  if (!product.empty()) text += (text.empty() ? "" : " ") + product;
  const std::string serial = attribute("serial");
  if (!serial.empty()) text += fmt::format("{}serial {}", text.empty() ? "" : ", ", serial);
  const std::string vendorId = attribute("idVendor");
  if (!vendorId.empty()) text += fmt::format("{}USB {}:{}", text.empty() ? "" : ", ", vendorId, attribute("idProduct"));
  return text;
}

std::vector<std::string> StableNames(const std::string& path, const std::string& byIdFolder) {
  std::vector<std::string> names;
  std::error_code error;
  const std::filesystem::path device = std::filesystem::canonical(path, error);
  if (error) return names;
  for (std::filesystem::directory_iterator it(byIdFolder, error), end; !error && it != end; it.increment(error)) {
    std::error_code broken;
    if (std::filesystem::canonical(it->path(), broken) == device && !broken) names.push_back(it->path().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ListSerialDevices() {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(kDeviceFolder, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::vector<std::string> paths;
  for (const auto& name :
       OrderSerialDevices(names, [](const std::string& builtIn) { return IsBuiltInPortPresent(builtIn); }))
    paths.push_back(std::string(kDeviceFolder) + "/" + name);
  return paths;
}

}  // namespace lum
