// Opening and saving configuration files (".LUM").
#include <QAction>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "FormLUM.h"
#include "WindowNames.h"
#include "WriteReview.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "device/FieldLabels.h"
#include "device/InfoLines.h"
#include "device/WritePlan.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
// The lower-case pattern lets files named *.lum show on systems whose file names are
// case-sensitive.
constexpr char kLumPatterns[] = "*.LUM *.lum";
constexpr char kLumSuffix[] = "LUM";

// Characters a file name may take from a model name as they are; the others become '_'.
bool KeepsInFileName(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.';
}

// The name the save dialog offers: the file the entry came from; a controller's model and
// serial number; "New File" otherwise, in the working folder.
std::string SuggestedSavePath(const TDEVICE_CONFIG& entry, const std::string& folder) {
  if (!entry.FromDevice && !entry.Name.empty()) return entry.Name;
  std::string stem = entry.FromDevice ? entry.Model + "_" + FormatSerial(entry.SerialNumber) : names::kNewFileNode;
  if (entry.FromDevice)
    std::replace_if(
        stem.begin(), stem.end(), [](char c) { return !KeepsInFileName(c); }, '_');
  return (std::filesystem::path(folder) / (stem + "." + kLumSuffix)).string();
}
}  // namespace

void TFormLUM::ConnectFileActions() {
  Bind(ui_->actOpenConfigFile, &QAction::triggered, [this] { actOpenConfigFileExecute(); });
  Bind(ui_->actSaveConfigToFile, &QAction::triggered, [this] { actSaveConfigToFileExecute(); });
}

void TFormLUM::actOpenConfigFileExecute() {
  if (const TDEVICE_CONFIG* current = CurrentEntry();
      current != nullptr && !current->FromDevice && ConfirmApply() == ApplyOutcome::Cancelled)
    return;
  const std::optional<QString> chosen =
      dialogs_->OpenFileName(FileFilter(msg::kLumFileKind, kLumPatterns), QString::fromStdString(work_dir_));
  if (chosen) OpenConfigFileAt(chosen->toStdString());
}

void TFormLUM::OpenConfigFileAt(const std::string& path) {
  observer_.InfoLine(OpenFileLine(path));
  const ConfigFileResult file = OpenConfigFile(path);
  if (file.status != ConfigFileStatus::Ok) {
    observer_.InfoLine(OpenFailureLine(file.status, path));
    return;
  }
  // The file is opened as it is; the editor marks what a write would refuse.
  const FieldLabels labels = WindowFieldLabels(*this);
  for (const ValueOutOfRange& outside : ValuesOutOfRange(file.block))
    observer_.InfoLine(OutOfRangeLine(OutOfRangeText(outside, file.block, labels, messages_)));
  const TDEVICE_CONFIG& opened = Entries().AddFileEntry(EntryFromFile(path, file.block));
  ui_->actWriteToDevice->setEnabled(true);
  RebuildEntryTree(&opened);
}

void TFormLUM::actSaveConfigToFileExecute() {
  TDEVICE_CONFIG* entry = CurrentEntry();
  if (entry == nullptr) return;
  if (entry->ReadIncomplete) {
    observer_.InfoLine(IncompleteSaveLine());
    return;
  }
  // Stored before the dialog, and kept when it is cancelled: the pages and the entry agree
  // from here on, so nothing is left to apply.
  StorePages(entry->Config);
  entry->Modified = false;
  const std::optional<QString> chosen =
      dialogs_->SaveFileName(FileFilter(msg::kLumFileKind, kLumPatterns), QString::fromLatin1(kLumSuffix),
                             QString::fromStdString(SuggestedSavePath(*entry, work_dir_)));
  if (!chosen) return;
  const std::string path = chosen->toStdString();
  SaveConfigFile(path, entry->Config);
  entry->Kept = entry->Config;
  observer_.InfoLine(SavedLine(messages_.Text(msg::kFileSaved), path));
  if (!entry->FromDevice) {
    // Saving "New File" names it; a fresh "New File" stays available for the next configuration.
    if (entry->Name.empty()) AddNewFileEntry();
    entry->Name = path;
  }
  RebuildEntryTree(entry);
}

}  // namespace lum
