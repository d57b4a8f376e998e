#pragma once

#include <QString>

namespace lum::names {

/// Object names of main-window controls that code outside the form looks up by name.
inline constexpr char kInfoMemo[] = "mmoInfo";
inline constexpr char kTraceMemo[] = "Memo";
inline constexpr char kErrorDetailsBox[] = "CheckBoxError";
inline constexpr char kStatusImage[] = "imgStatus";

/// The tree node of the entry that has no file yet.
inline constexpr char kNewFileNode[] = "New File";

/// The four status bar panels are labels named StatusPanel0..StatusPanel3.
inline constexpr int kStatusPanels = 4;
inline constexpr int kNodePanel = 0;    // the selected tree node, the monitor port's state
inline constexpr int kDevicePanel = 1;  // the device type of the current entry
inline constexpr int kFlagsPanel = 2;   // function flags and capability byte
inline QString StatusPanelName(int index) { return QStringLiteral("StatusPanel%1").arg(index); }

/// The attached label of a labelled edit lbledtX is named lbledtX + "Label".
inline QString EditLabelName(const QString& editName) { return editName + QStringLiteral("Label"); }

/// Translation tag: a dynamic property "tag"; 9 marks a translatable component.
inline constexpr char kTagProperty[] = "tag";
inline constexpr int kTranslatableTag = 9;

}  // namespace lum::names
