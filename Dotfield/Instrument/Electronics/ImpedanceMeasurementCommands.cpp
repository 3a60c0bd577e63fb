#include "Dotfield/Instrument/Electronics/ImpedanceMeasurementCommands.hpp"

#include <algorithm>
#include <vector>

#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"
#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"
#include "Dotfield/Instrument/Electronics/SampleBlock.hpp"

namespace Dotfield {

namespace {
constexpr std::uint8_t frequencyCommand = 0x46; // 'F'
constexpr std::uint8_t delayCommand = 0x64;     // 'd'
constexpr std::uint8_t measureCommand = 0x71;   // 'q'
} // namespace

void setImpedanceMeasurementFrequency(const Zovudidova::Frequency& frequency, SerialPort& serialPort,
                                      ElectronicsHardwareGeneration hardwareGeneration) {
    const auto word = frequencyRegisterBytes(frequency, hardwareGeneration);
    const std::vector<std::uint8_t> command{frequencyCommand, word[0], word[1], word[2], word[3]};
    sendElectronicsCommandCheckingReply(command, frequencyCommand, serialPort);
}

void setImpedanceMeasurementDelay(std::uint8_t delay, SerialPort& serialPort) {
    // 1 is the shortest delay the electronics take; 0 is sent as 1.
    sendElectronicsCommandCheckingReply({delayCommand, std::max<std::uint8_t>(delay, 1)}, delayCommand,
                                        serialPort);
}

Impedance measureImpedanceAtFrequency(const Zovudidova::Frequency& frequency, std::uint8_t delay,
                                      SerialPort& serialPort) {
    // This command set exists only on the original electronics, so their clock.
    constexpr auto generation = ElectronicsHardwareGeneration::originalDesign;
    frequencyRegisterWord(frequency, generation); // refuses a bad frequency before anything is sent
    return convertingCommunicationsErrors([&] {
        retryingOnce([&] { setImpedanceMeasurementDelay(delay, serialPort); });
        retryingOnce([&] { setImpedanceMeasurementFrequency(frequency, serialPort, generation); });
        return retryingOnce([&] {
            writeElectronicsCommand({measureCommand}, serialPort);
            const std::vector<std::uint8_t> block =
                readElectronicsReply(impedanceSampleBlockSize, serialPort);
            return impedanceFromSampleBlock(block);
        });
    });
}

} // namespace Dotfield
