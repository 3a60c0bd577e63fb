#include "simulators/electronics/SimulatedElectronics.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace Simulators {

namespace {

constexpr std::uint8_t relayToGeneratorByte = 'g';
constexpr std::uint8_t relayToElectronicsByte = 'i';
constexpr std::uint8_t voltageByte = 'w';
constexpr std::uint8_t frequencyByte = 'F';
constexpr std::uint8_t delayByte = 'd';
constexpr std::uint8_t measureByte = 'q';
constexpr std::uint8_t identifyByte = 'v';
constexpr std::uint8_t statusSetupByte = 'S';
constexpr std::uint8_t originalStatusReadingByte = 's';
constexpr std::uint8_t redesignStatusReadingByte = 'P';
constexpr std::uint8_t sweepByte = 'p';
constexpr std::uint8_t carriageReturn = 0x0D;

constexpr std::size_t statusPointCount = 5;
constexpr std::size_t originalStatusSetupLength = 1 + statusPointCount * 5;
constexpr std::size_t statusDigitsPerFrequency = 6;
constexpr std::size_t samplesPerChannel = 65;
constexpr double sampleMidpoint = 32768.0;
constexpr std::int32_t largest24 = 0x7FFFFF;

std::uint32_t bigEndianWord(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

void appendSample(std::vector<std::uint8_t>& block, double value) {
    const auto sample = static_cast<std::uint16_t>(std::clamp(std::round(value), 0.0, 65535.0));
    block.push_back(static_cast<std::uint8_t>(sample >> 8));
    block.push_back(static_cast<std::uint8_t>(sample & 0xFF));
}

void appendSigned24(std::vector<std::uint8_t>& bytes, double value) {
    const auto number =
        static_cast<std::int32_t>(std::clamp(std::round(value), -double(largest24) - 1.0, double(largest24)));
    const auto raw = static_cast<std::uint32_t>(number) & 0xFFFFFFu;
    bytes.push_back(static_cast<std::uint8_t>(raw >> 16));
    bytes.push_back(static_cast<std::uint8_t>(raw >> 8));
    bytes.push_back(static_cast<std::uint8_t>(raw));
}

std::vector<std::uint8_t> textBytes(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

SimulatedElectronics::SimulatedElectronics(Generation generation)
    : SimulatedPeer(SerialLineSettings{.baudRate = 115200}), generation_(generation),
      identificationText_(defaultIdentificationText(generation)) {
    for (std::size_t i = 0; i < statusPointCount; ++i) {
        state_.statusPoints.push_back({250000.0 + 50000.0 * static_cast<double>(i), 1});
    }
}

std::string SimulatedElectronics::defaultIdentificationText(Generation generation) {
    return generation == Generation::redesign2016 ? "Dotfield drive electronics 0.8.2.2\r"
                                                  : "Dotfield drive electronics 1.3\r";
}

double SimulatedElectronics::clockHz(Generation generation) {
    return generation == Generation::redesign2016 ? 3686400.0 : 4194304.0;
}

double SimulatedElectronics::frequencyForWord(std::uint32_t word) const {
    return static_cast<double>(word) * 2.0 * clockHz(generation_) / 268435456.0;
}

// ---- State -------------------------------------------------------------------

SimulatedElectronics::ElectronicsState SimulatedElectronics::state() const {
    auto lock = lockState();
    return state_;
}

SimulatedElectronics::RelayPosition SimulatedElectronics::relay() const {
    return state().relay;
}

std::uint16_t SimulatedElectronics::voltageCode() const {
    return state().voltageCode;
}

double SimulatedElectronics::voltage() const {
    return voltageCode() / 204.8;
}

double SimulatedElectronics::frequencyHz() const {
    return frequencyForWord(state().frequencyWord);
}

std::vector<SimulatedElectronics::Command> SimulatedElectronics::commands() const {
    auto lock = lockState();
    return commands_;
}

void SimulatedElectronics::clearCommands() {
    auto lock = lockState();
    commands_.clear();
}

void SimulatedElectronics::setDispenser(DispenserImpedanceModel model) {
    auto lock = lockState();
    dispenser_ = std::move(model);
}

DispenserImpedanceModel SimulatedElectronics::dispenser() const {
    auto lock = lockState();
    return dispenser_;
}

void SimulatedElectronics::setDispenserHook(DispenserHook hook) {
    auto lock = lockState();
    dispenserHook_ = std::move(hook);
}

void SimulatedElectronics::setOutputListener(OutputListener listener) {
    auto lock = lockState();
    outputListener_ = std::move(listener);
}

DispenserImpedanceModel SimulatedElectronics::dispenserNow() const {
    return dispenserHook_ ? dispenserHook_(dispenser_) : dispenser_;
}

void SimulatedElectronics::outputsChanged() const {
    if (outputListener_) {
        outputListener_(state_.relay, state_.voltageCode / 204.8, frequencyForWord(state_.frequencyWord));
    }
}

void SimulatedElectronics::setMeasurementNoise(double sampleNoiseCounts, double relativeMagnitudeNoise,
                                               std::uint32_t seed) {
    auto lock = lockState();
    sampleNoiseCounts_ = sampleNoiseCounts;
    relativeMagnitudeNoise_ = relativeMagnitudeNoise;
    random_.seed(seed);
}

void SimulatedElectronics::setReferenceAmplitude(double counts) {
    auto lock = lockState();
    referenceAmplitude_ = counts;
}

void SimulatedElectronics::setSweepRecordInterval(std::chrono::nanoseconds interval) {
    auto lock = lockState();
    sweepRecordInterval_ = interval;
}

void SimulatedElectronics::setIdentificationText(std::string text) {
    auto lock = lockState();
    identificationText_ = std::move(text);
}

// ---- Decoding ----------------------------------------------------------------

void SimulatedElectronics::decode(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::size_t taken = 0;
    while (!pending_.empty()) {
        taken = decodeOne();
        if (taken == 0) {
            return; // wait for the rest of the command
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
    }
}

void SimulatedElectronics::record(Command command) {
    commands_.push_back(std::move(command));
}

std::size_t SimulatedElectronics::decodeOne() {
    const std::uint8_t command = pending_.front();
    const std::size_t available = pending_.size();
    const bool original = generation_ == Generation::originalDesign;

    switch (command) {
    case relayToGeneratorByte:
    case relayToElectronicsByte: {
        const bool toGenerator = command == relayToGeneratorByte;
        state_.relay = toGenerator ? RelayPosition::waveformGenerator : RelayPosition::electronics;
        record({toGenerator ? Command::Kind::relayToGenerator : Command::Kind::relayToElectronics});
        outputsChanged();
        reply({command});
        return 1;
    }
    case voltageByte: {
        if (available < 3) {
            return 0;
        }
        // The converter takes 12 bits; higher bits of the high byte are not wired.
        state_.voltageCode = static_cast<std::uint16_t>(((pending_[1] & 0x0F) << 8) | pending_[2]);
        record({Command::Kind::setVoltage, state_.voltageCode});
        outputsChanged();
        reply({voltageByte});
        return 3;
    }
    case frequencyByte: {
        if (available < 5) {
            return 0;
        }
        state_.frequencyWord = bigEndianWord(&pending_[1]);
        record({Command::Kind::setFrequency, state_.frequencyWord});
        outputsChanged();
        reply({frequencyByte});
        return 5;
    }
    case identifyByte:
        record({Command::Kind::identify});
        reply(textBytes(identificationText_));
        return 1;
    case statusSetupByte:
        if (original) {
            if (available < originalStatusSetupLength) {
                return 0;
            }
            std::vector<StatusPoint> points;
            for (std::size_t i = 0; i < statusPointCount; ++i) {
                const std::uint8_t* entry = &pending_[1 + i * 5];
                points.push_back({frequencyForWord(bigEndianWord(entry)), entry[4]});
            }
            state_.statusPoints = points;
            record({Command::Kind::statusSetup, 0, std::move(points)});
            reply({statusSetupByte});
            return originalStatusSetupLength;
        }
        return decodeStatusSetupText();
    default:
        break;
    }

    if (original) {
        switch (command) {
        case delayByte:
            if (available < 2) {
                return 0;
            }
            state_.delay = pending_[1];
            record({Command::Kind::setDelay, state_.delay});
            reply({delayByte});
            return 2;
        case measureByte:
            record({Command::Kind::measure});
            reply(sampleBlock(dispenserNow(), frequencyForWord(state_.frequencyWord)));
            return 1;
        case originalStatusReadingByte: {
            record({Command::Kind::statusReading});
            const DispenserImpedanceModel dispenser = dispenserNow();
            std::vector<std::uint8_t> blocks;
            for (const auto& point : state_.statusPoints) {
                const auto block = sampleBlock(dispenser, point.frequencyHz);
                blocks.insert(blocks.end(), block.begin(), block.end());
            }
            reply(std::move(blocks));
            return 1;
        }
        default:
            break;
        }
    } else {
        switch (command) {
        case sweepByte: {
            record({Command::Kind::sweep});
            const DispenserImpedanceModel dispenser = dispenserNow();
            for (std::size_t k = 0; k < sweepRecordCount; ++k) {
                reply(impedanceRecord(dispenser, sweepStartHz + sweepStepHz * static_cast<double>(k)),
                      sweepRecordInterval_ * static_cast<std::int64_t>(k));
            }
            return 1;
        }
        case redesignStatusReadingByte: {
            record({Command::Kind::statusReading});
            const DispenserImpedanceModel dispenser = dispenserNow();
            std::vector<std::uint8_t> records;
            for (const auto& point : state_.statusPoints) {
                const auto one = impedanceRecord(dispenser, point.frequencyHz);
                records.insert(records.end(), one.begin(), one.end());
            }
            reply(std::move(records));
            return 1;
        }
        case carriageReturn:
            record({Command::Kind::lineReset});
            reply(textBytes("\r\n"));
            return 1;
        default:
            break;
        }
    }

    record({Command::Kind::unknown, command});
    return 1;
}

std::size_t SimulatedElectronics::decodeStatusSetupText() {
    const std::size_t digitsWanted = statusPointCount * statusDigitsPerFrequency;
    std::size_t digits = 0;
    while (digits < digitsWanted) {
        if (1 + digits >= pending_.size()) {
            return 0; // the rest of the text has not arrived yet
        }
        const std::uint8_t byte = pending_[1 + digits];
        if (byte < '0' || byte > '9') {
            // A text the electronics cannot read: refused, and the byte that
            // broke it is read as the next command.
            record({Command::Kind::statusSetup});
            reply(textBytes("E\r\n"));
            return 1 + digits;
        }
        ++digits;
    }
    std::vector<StatusPoint> points;
    for (std::size_t i = 0; i < statusPointCount; ++i) {
        double hertz = 0.0;
        for (std::size_t d = 0; d < statusDigitsPerFrequency; ++d) {
            hertz = hertz * 10.0 + (pending_[1 + i * statusDigitsPerFrequency + d] - '0');
        }
        points.push_back({hertz, 0});
    }
    state_.statusPoints = points;
    record({Command::Kind::statusSetup, 0, std::move(points)});
    reply(textBytes("S\r\n"));
    return 1 + digitsWanted;
}

// ---- Measurements --------------------------------------------------------------

double SimulatedElectronics::noise(double standardDeviation) {
    if (standardDeviation <= 0.0) {
        return 0.0;
    }
    return std::normal_distribution<double>(0.0, standardDeviation)(random_);
}

std::vector<std::uint8_t> SimulatedElectronics::sampleBlock(const DispenserImpedanceModel& dispenser,
                                                        double frequencyHz) {
    const std::complex<double> impedance = dispenser.impedanceAt(frequencyHz);
    const double responseAmplitude = referenceAmplitude_ * std::abs(impedance) / 1000.0;
    const double phase = std::arg(impedance);
    std::vector<std::uint8_t> reference;
    std::vector<std::uint8_t> response;
    reference.reserve(2 * samplesPerChannel);
    response.reserve(2 * samplesPerChannel);
    for (std::size_t j = 0; j < samplesPerChannel; ++j) {
        const double angle = 2.0 * std::numbers::pi * static_cast<double>(j) / double(samplesPerChannel);
        appendSample(reference,
                     sampleMidpoint + referenceAmplitude_ * std::sin(angle) + noise(sampleNoiseCounts_));
        appendSample(response, sampleMidpoint + responseAmplitude * std::sin(angle + phase) +
                                   noise(sampleNoiseCounts_));
    }
    reference.insert(reference.end(), response.begin(), response.end());
    return reference;
}

std::vector<std::uint8_t> SimulatedElectronics::impedanceRecord(const DispenserImpedanceModel& dispenser,
                                                            double frequencyHz) {
    const std::complex<double> impedance = dispenser.impedanceAt(frequencyHz);
    const double magnitude = std::abs(impedance) * (1.0 + noise(relativeMagnitudeNoise_));
    const double phase = std::arg(impedance);
    std::vector<std::uint8_t> bytes;
    appendSigned24(bytes, magnitude * 1000.0 * std::cos(phase));
    appendSigned24(bytes, magnitude * 1000.0 * std::sin(phase));
    return bytes;
}

} // namespace Simulators
