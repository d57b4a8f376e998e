#pragma once

#include <QIcon>

#include "FormLUM.h"
#include "language/FileLocations.h"

class QObject;

namespace lum {

/// The window's options from the files' locations: settings and language files, the log, the
/// language the locale asks for. Creates the XDG folders and adopts the shipped language files
/// when the start folder holds no LUM.INI.
FormLUMOptions OptionsFor(const FileLocations& locations, const Environment& env);

/// The program's icon (the same picture the desktop entry names), drawn at the usual sizes.
QIcon ApplicationIcon();

/// SIGTERM, SIGINT and SIGHUP close the windows as the user would, so the run's lines still
/// reach LUM.LOG when the session ends. Call before the windows are made: a signal that comes
/// early is taken when the event loop starts.
void CloseOnTerminationSignals(QObject& application);

}  // namespace lum
