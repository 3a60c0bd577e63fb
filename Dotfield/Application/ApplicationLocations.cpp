#include "Dotfield/Application/ApplicationLocations.hpp"

#include "Dotfield/Instrument/HelperFunctions/ApplicationSupportDirectory.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/Platform/UserDirectories.hpp"

namespace Dotfield {

namespace {

constexpr const char* simulatedInstrumentName = "simulated-instrument";

} // namespace

std::shared_ptr<UserDefaults> applicationUserDefaults(bool simulatedInstrument) {
    if (!simulatedInstrument) {
        return UserDefaults::overStandardUserDefaults();
    }
    std::filesystem::path file;
    if (const auto configuration = userConfigurationDirectory()) {
        file = *configuration / "Dotfield" / (std::string(simulatedInstrumentName) + ".plist");
    } else {
        writeLogLine("No configuration folder is known: the simulated instrument's settings are not kept");
    }
    return std::make_shared<UserDefaults>(
        UserDefaults::StandardDefaults{std::make_shared<PersistentDefaults>(file)});
}

void useApplicationFileFolder(bool simulatedInstrument) {
    setApplicationSupportSubfolder(simulatedInstrument ? std::filesystem::path(simulatedInstrumentName)
                                                       : std::filesystem::path());
}

} // namespace Dotfield
