#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/FieldLabels.h"
#include "language/FileLocations.h"
#include "language/MessageTable.h"
#include "language/ProfileFile.h"
#include "link/PortNames.h"

namespace lum::cli {

/// What every command takes from its working directory (or, when that holds no LUM.INI, from
/// the XDG settings folder): the port mapping of LUM.INI, the message table with the texts of
/// the language file in use, and the type names it gives. The language file is the one given
/// with --lang, else LUM.INI's choice, else the one the locale asks for. lumctl only reads: it
/// never writes LUM.INI or a language file.
class CliContext {
 public:
  /// The context of a directory (the working directory for lumctl).
  explicit CliContext(std::string directory = ".");

  /// --lang FILE: every context of this process uses that file. Throws std::runtime_error when
  /// it is not a readable file.
  static void UseLanguageFile(const std::string& path);

  const std::string& Directory() const { return directory_; }
  /// Where backups and the records database are (the window's data folder).
  const std::string& DataDir() const { return locations_.dataDir; }
  /// The records database a --db option names, else the one LUM.INI names (the window's);
  /// empty: the data folder's own file.
  std::string Database(const std::string& given) const;
  const FileLocations& Locations() const { return locations_; }
  /// The language file in use, or nullopt when the built-in texts are.
  std::optional<std::string> LanguageFilePath() const;
  /// --bus COMn:ADDRESSES: every context of this process looks at COMn as a bus on those
  /// addresses, whatever LUM.INI's [Bus] says. Throws std::invalid_argument naming what is wrong.
  static void UseBus(const std::string& choice);

  /// [Ports] of LUM.INI when that section exists, otherwise the machine's serial devices; with
  /// the buses of [Bus] and --bus. Throws std::runtime_error naming a bad [Bus] line.
  const PortMap& Ports() const;
  /// Looks at bus COMn on `address` alone from now on (one controller chosen of the bus).
  void NarrowBus(int n, uint8_t address);
  /// The language file in use (empty when the built-in texts are).
  const ProfileFile& Language() const { return language_; }
  /// Built-in texts, overridden by the language file's [Messages].
  const MessageTable& Messages() const { return messages_; }
  /// Display name of a device type row (0..3) or work mode (0..2): the language file's name,
  /// else the built-in one; an index outside the table gives an empty text.
  std::string DeviceTypeName(int row) const;
  std::string WorkModeName(int index) const;
  /// The main window's caption of a component that names a field, in the language in use.
  std::string Caption(std::string_view component) const;
  /// How the window names fields, in the language in use.
  FieldLabels Labels() const;

 private:
  std::string directory_;
  FileLocations locations_;
  ProfileFile language_;
  MessageTable messages_;
  mutable std::optional<PortMap> ports_;
};

}  // namespace lum::cli
