#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "adapterdriver/Library/ConfigFile.hpp"
#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;

const ConfigIdentity device6001{0x0403, 0x6001, "A9000001"};

std::uint32_t flagsFor(const std::string& text, const ConfigIdentity& device = device6001) {
    std::istringstream in(text);
    return parseConfigFlags(in, device);
}

struct ConfigCase {
    const char* name;
    std::string text;
    std::uint32_t flags;
};

TEST(ConfigFile, TheFirstSectionDecides) {
    const std::vector<ConfigCase> cases = {
        {"globals", "[Globals]\nConfigFlags=0x40000000\n", 0x40000000},
        {"globals, no final newline", "[Globals]\nConfigFlags=0x40000000", 0x40000000},
        {"carriage-return line ends", "[Globals]\r\nConfigFlags=0x40000000\r\n", 0},
        {"identifier section of this device", "[VID_0403&PID_6001]\nConfigFlags=0x40000001\n", 0x40000001},
        {"identifier section of another device",
         "[VID_403&PID_6010]\nConfigFlags=0x40000000\n[Globals]\nConfigFlags=0x1\n", 0},
        {"serial-number section", "[A9000001]\nConfigFlags=0x00000002\n", 2},
        {"other serial number", "[A9000002]\nConfigFlags=0x00000002\n", 0},
        {"value without 0x: the next line is a header",
         "[Globals]\nConfigFlags=40000000\n[A9000001]\nConfigFlags=0x7\n", 7},
        {"value without 0x, nothing follows", "[Globals]\nConfigFlags=40000000\nConfigFlags=0x7\n", 0},
        {"header without a ConfigFlags line", "[Globals]\nSomething=0x1\n[A9000001]\nConfigFlags=0x7\n", 0},
        {"not a header", "ConfigFlags=0x1\n", 0},
        {"empty first line", "\n[Globals]\nConfigFlags=0x1\n", 0},
        {"empty file", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(flagsFor(c.text), c.flags) << c.name;
    }
}

TEST(ConfigFile, SerialSectionsCarryTheInterfaceLetterOfDualChips) {
    const ConfigIdentity dualB{0x0403, 0x6010, "FT1234 B"};
    EXPECT_EQ(flagsFor("[FT1234 B]\nConfigFlags=0x40000000\n", dualB), 0x40000000u);
    EXPECT_EQ(flagsFor("[FT1234]\nConfigFlags=0x40000000\n", dualB), 0u);
}

TEST(ConfigFile, OverlongLinesAreCutWithoutSpillingIntoTheNext) {
    // A header padded beyond the line limit no longer ends in "]".
    const std::string longHeader = "[" + std::string(2000, 'A') + "]";
    EXPECT_EQ(flagsFor(longHeader + "\nConfigFlags=0x1\n"), 0u);
    // An overlong value line is cut, and its tail is not read as a header.
    const std::string longValue =
        "ConfigFlags=0x1" + std::string(2000, '0') + "\n[Globals]\nConfigFlags=0x2\n";
    EXPECT_EQ(flagsFor("[Globals]\n" + longValue), 0xFFFFFFFFu);
    std::string huge = "[Globals]\nConfigFlags=0x" + std::string(3000, '1') + "\n";
    EXPECT_EQ(flagsFor(huge), 0xFFFFFFFFu);
}

class ConfigFileOnDisk : public SimulatedBusTest {
protected:
    std::string writeFile(const std::string& name, const std::string& text) {
        const char* root = std::getenv("DOTFIELD_TEST_OUTPUT");
        std::filesystem::path directory = root != nullptr ? root : std::filesystem::temp_directory_path();
        directory /= "adapterdriver-config";
        std::filesystem::create_directories(directory);
        const auto path = directory / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
};

TEST_F(ConfigFileOnDisk, TheFirstFileOfTheSearchPathIsReadAtOpen) {
    const std::string missing = writeFile("unused.cfg", "") + ".missing";
    const std::string present = writeFile("adapterdriver.cfg", "[Globals]\nConfigFlags=0x40000000\n");
    setConfigFileSearchPath({missing, present});
    EXPECT_EQ(readConfigFlags(device6001), 0x40000000u);

    // A handle opened with the flag writes through its write thread, with
    // the same bytes and results as a direct write.
    auto adapter = bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    auto peer = std::make_shared<RecordingPeer>();
    adapter->attachPeer(0, peer);
    AD_HANDLE handle = openByDescription("FT232R USB UART");
    std::uint8_t bytes[] = {'H', 'i', '\r'};
    std::uint32_t written = 0;
    ASSERT_EQ(AD_Write(handle, bytes, 3, &written), AD_OK);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(peer->bytes(), std::vector<std::uint8_t>({'H', 'i', '\r'}));
    EXPECT_NE(peer->writerThread(), std::this_thread::get_id());

    setConfigFileSearchPath({missing});
    EXPECT_EQ(readConfigFlags(device6001), 0u);
}

} // namespace
} // namespace adapterdriver::testing
