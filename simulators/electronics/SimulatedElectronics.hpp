#pragma once
// The dispenser control electronics as seen from their serial line (115200
// baud, 8 data bits, no parity, 1 stop bit), in either hardware generation.
// The peer reads every command byte by byte by its own reading of the
// protocol and answers as the electronics do:
//
//   both generations
//     'g' / 'i'                 output relay to the generator / to the
//                               electronics; echoes the command byte
//     'w' hi lo                 drive voltage, 12-bit code (204.8 per volt); 'w'
//     'F' b3 b2 b1 b0           frequency register, f = word x 2 x clock / 2^28
//                               (clock 4,194,304 Hz original, 3,686,400 Hz
//                               redesign); 'F'
//     'v'                       identification text
//   original design
//     'd' n                     measurement delay; 'd'
//     'q'                       one 260-byte sample block at the set frequency
//     'S' 5 x (b3 b2 b1 b0 n)   status points (register word, delay); 'S'
//     's'                       1300 bytes: a sample block per status point
//   redesign
//     'p'                       401 impedance records, 200 to 600 kHz by 1 kHz
//     'S' 30 digits             status points, five 6-digit frequencies in
//                               hertz; "S\r\n" (a non-digit before the 30th
//                               digit ends it with "E\r\n")
//     'P'                       30 bytes: an impedance record per status point
//     CR                        an empty command line; answered "\r\n"
//
// Anything else is logged as unknown and not answered. A sample block holds
// 65 samples per channel of one period of a sine around 32768: channel 1 the
// reference, channel 2 the dispenser's response, scaled by the modelled
// impedance magnitude / 1000. An impedance record holds a = |Z| cos(phase) x
// 1000 and b = |Z| sin(phase) x 1000 as signed 24-bit numbers. Noise, when
// switched on, comes from a generator with the seed given.
//
// State (relay, voltage, frequency, delay, status points) lives in one
// ElectronicsState value; the dispenser on the far side is a
// DispenserImpedanceModel that a test may replace at any time.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "simulators/electronics/DispenserImpedanceModel.hpp"
#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class SimulatedElectronics final : public SimulatedPeer {
  public:
    enum class Generation { originalDesign, redesign2016 };
    enum class RelayPosition { electronics, waveformGenerator };

    struct StatusPoint {
        double frequencyHz = 0.0;
        std::uint8_t delay = 0; // original design only
        bool operator==(const StatusPoint&) const = default;
    };

    struct ElectronicsState {
        RelayPosition relay = RelayPosition::electronics;
        std::uint16_t voltageCode = 0;
        std::uint32_t frequencyWord = 0;
        std::uint8_t delay = 0;
        std::vector<StatusPoint> statusPoints;
    };

    struct Command {
        enum class Kind {
            relayToGenerator,
            relayToElectronics,
            setVoltage,   // value: the voltage code
            setFrequency, // value: the register word
            setDelay,     // value: the delay byte
            identify,
            measure,
            statusSetup, // statusPoints: what was set (empty when the text was refused)
            statusReading,
            sweep,
            lineReset,
            unknown // value: the byte
        };
        Command() = default;
        Command(Kind commandKind, std::uint32_t commandValue = 0, std::vector<StatusPoint> points = {})
            : kind(commandKind), value(commandValue), statusPoints(std::move(points)) {}

        Kind kind = Kind::unknown;
        std::uint32_t value = 0;
        std::vector<StatusPoint> statusPoints;
    };

    static constexpr std::size_t sweepRecordCount = 401;
    static constexpr double sweepStartHz = 200000.0;
    static constexpr double sweepStepHz = 1000.0;

    explicit SimulatedElectronics(Generation generation = Generation::originalDesign);

    Generation generation() const { return generation_; }
    static double clockHz(Generation generation);
    // The frequency a register word stands for in this generation.
    double frequencyForWord(std::uint32_t word) const;

    // ---- State ----------------------------------------------------------------

    ElectronicsState state() const;
    RelayPosition relay() const;
    std::uint16_t voltageCode() const;
    double voltage() const; // volts
    double frequencyHz() const;
    std::vector<Command> commands() const;
    void clearCommands();

    // ---- The dispenser and the measurement -------------------------------------

    void setDispenser(DispenserImpedanceModel model);
    DispenserImpedanceModel dispenser() const;

    // Asked once at each reading (a measurement, a status reading, a sweep)
    // for the dispenser the electronics see there, given the one set with
    // setDispenser: the world of the simulated instrument answers with its
    // on-surface response while the tip touches the surface. Runs with the
    // peer's lock held, so it must not call back into this peer.
    using DispenserHook = std::function<DispenserImpedanceModel(const DispenserImpedanceModel& dispenser)>;
    void setDispenserHook(DispenserHook hook);

    // Told every change of the outputs that drive the dispenser: where the
    // output relay is, the voltage (volts) and the frequency (hertz). Runs with
    // the peer's lock held, so it must not call back into this peer.
    using OutputListener = std::function<void(RelayPosition relay, double volts, double frequencyHz)>;
    void setOutputListener(OutputListener listener);
    // Gaussian noise: on every sample of a block (in counts) and on every
    // record's magnitude (relative). 0 switches it off.
    void setMeasurementNoise(double sampleNoiseCounts, double relativeMagnitudeNoise, std::uint32_t seed);
    // The reference channel's amplitude in counts (3000 by default); 0 makes
    // it flat, as with a dead reference.
    void setReferenceAmplitude(double counts);
    // The time between two records of a sweep (none by default).
    void setSweepRecordInterval(std::chrono::nanoseconds interval);
    // Replaces the answer to 'v' (the generation's own text by default).
    void setIdentificationText(std::string text);

    static std::string defaultIdentificationText(Generation generation);

  private:
    void decode(std::span<const std::uint8_t> bytes) override;
    // Decodes the command at the head of pending_; answers how many bytes it
    // took, or 0 when it is still incomplete.
    std::size_t decodeOne();
    std::size_t decodeStatusSetupText();

    void record(Command command);
    // The dispenser as the electronics see it now (the hook's answer).
    DispenserImpedanceModel dispenserNow() const;
    void outputsChanged() const;
    std::vector<std::uint8_t> sampleBlock(const DispenserImpedanceModel& dispenser, double frequencyHz);
    std::vector<std::uint8_t> impedanceRecord(const DispenserImpedanceModel& dispenser, double frequencyHz);
    double noise(double standardDeviation);

    const Generation generation_;
    std::vector<std::uint8_t> pending_;
    ElectronicsState state_;
    std::vector<Command> commands_;
    DispenserImpedanceModel dispenser_ = DispenserImpedanceModel::typicalDispenser();
    DispenserHook dispenserHook_;
    OutputListener outputListener_;
    double sampleNoiseCounts_ = 0.0;
    double relativeMagnitudeNoise_ = 0.0;
    std::mt19937 random_{1};
    double referenceAmplitude_ = 3000.0;
    std::chrono::nanoseconds sweepRecordInterval_{0};
    std::string identificationText_;
};

} // namespace Simulators
