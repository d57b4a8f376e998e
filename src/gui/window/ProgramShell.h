#pragma once

#include <QIcon>

#include "FormLUM.h"
#include "language/FileLocations.h"

class QObject;

namespace lum {

/// The window's options from the files' locations: settings and language files, the log, the
/// data, the language the locale asks for. Creates the XDG folders and adopts the shipped
/// language files when the start folder holds no LUM.INI, and the chosen language file
/// wherever lumctl would find it.
FormLUMOptions OptionsFor(const FileLocations& locations, const Environment& env);

/// The program's icon (the same picture the desktop entry names), drawn at the usual sizes.
QIcon ApplicationIcon();

/// SIGTERM, SIGINT and SIGHUP end the program from any state, a message box or dialog open
/// included: the main window writes the run's lines to LUM.LOG without asking anything (nobody
/// may be there to answer, as at logout), then every event loop running or started later is
/// left. Call before the windows are made: a signal that comes early is taken when an event
/// loop first runs.
void EndOnTerminationSignals(QObject& application);

}  // namespace lum
