#pragma once
// Where the application keeps its settings and files. A simulated instrument
// keeps its own, apart from a real instrument's:
//   settings  $XDG_CONFIG_HOME/Dotfield/settings.plist
//             $XDG_CONFIG_HOME/Dotfield/simulated-instrument.plist (simulated)
//   files     $XDG_DATA_HOME/Dotfield/
//             $XDG_DATA_HOME/Dotfield/simulated-instrument/ (simulated)

#include <memory>

namespace Dotfield {

class UserDefaults;

// The settings store over the user's settings file of the chosen kind (in
// memory only, with a log line, when no configuration folder is known).
std::shared_ptr<UserDefaults> applicationUserDefaults(bool simulatedInstrument);

// Points the application's file folder at the chosen kind's folder.
void useApplicationFileFolder(bool simulatedInstrument);

} // namespace Dotfield
