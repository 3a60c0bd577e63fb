// The map's text file: writing it whole and atomically, and reading it line by
// line so that a large file never sits in memory as one text.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>

#include "Dotfield/Instrument/HelperFunctions/CommaSeparatedFields.hpp"
#include "Dotfield/Platform/Files/TextFiles.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwFileError(const std::string& what, const fs::path& file, std::error_code error) {
    throw Diagnostics::logAndReturnError(fs::filesystem_error(what, file, error));
}

[[noreturn]] void throwFileError(const std::string& what, const fs::path& file, int error) {
    throwFileError(what, file, std::error_code(error, std::generic_category()));
}

// An open regular file, closed when it goes out of scope. Other kinds (a
// folder, a pipe that might never end) are refused before anything is read.
class InputFile {
  public:
    explicit InputFile(const fs::path& file)
        : descriptor_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        if (descriptor_ < 0) {
            throwFileError("cannot open the file", file, errno);
        }
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0) {
            const int error = errno;
            ::close(descriptor_);
            throwFileError("cannot read the file", file, error);
        }
        if (!S_ISREG(status.st_mode)) {
            ::close(descriptor_);
            throwFileError("not a regular file", file, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
        }
    }
    ~InputFile() { ::close(descriptor_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Up to size bytes; 0 at the end of the file. Throws on a read error.
    std::size_t read(char* buffer, std::size_t size, const fs::path& file) const {
        while (true) {
            const ssize_t count = ::read(descriptor_, buffer, size);
            if (count >= 0) {
                return static_cast<std::size_t>(count);
            }
            if (errno != EINTR) {
                throwFileError("cannot read the file", file, errno);
            }
        }
    }

  private:
    int descriptor_;
};

// Calls the function with every line of the file, split at LF and at CR (so
// CR LF gives an empty line between, which holds no point anyway). A byte
// outside ASCII fails the whole file; a line longer than the limit is skipped.
template <typename LineFunction>
void forEachAsciiLine(const fs::path& file, std::size_t maximumLineLength, LineFunction&& function) {
    const InputFile input(file);
    std::string buffer(256 * 1024, '\0');
    std::string line;
    bool lineTooLong = false;
    const auto endLine = [&] {
        if (!lineTooLong) {
            function(std::string_view(line));
        }
        line.clear();
        lineTooLong = false;
    };
    while (const std::size_t count = input.read(buffer.data(), buffer.size(), file)) {
        const std::string_view chunk(buffer.data(), count);
        std::size_t start = 0;
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            const char byte = chunk[i];
            if (static_cast<unsigned char>(byte) >= 0x80) {
                throwFileError("the file is not ASCII text", file,
                               std::make_error_code(std::errc::illegal_byte_sequence));
            }
            if (byte == '\n' || byte == '\r') {
                if (!lineTooLong) {
                    line.append(chunk.substr(start, i - start));
                    lineTooLong = line.size() > maximumLineLength;
                }
                endLine();
                start = i + 1;
            }
        }
        if (!lineTooLong) {
            line.append(chunk.substr(start));
            if (line.size() > maximumLineLength) {
                lineTooLong = true;
                line.clear();
            }
        }
    }
    if (!line.empty()) {
        endLine();
    }
}

} // namespace

void SurfaceTopographyMap::readFile(const fs::path& file, std::size_t maximumPoints) {
    std::size_t points = 0;
    forEachAsciiLine(file, maximumLineLength, [&](std::string_view line) {
        const std::vector<std::string> fields = commaSeparatedFields(line);
        if (fields.size() < 3) {
            return;
        }
        const auto x = Zovudidova::parseDouble(fields[0]);
        const auto y = Zovudidova::parseDouble(fields[1]);
        const auto z = Zovudidova::parseDouble(fields[2]);
        if (!x || !y || !z) {
            return;
        }
        if (++points > maximumPoints) {
            throwFileError("the map file holds more than " + std::to_string(maximumPoints) + " points", file,
                           std::make_error_code(std::errc::file_too_large));
        }
        addPointUnlocked(Coordinate(*x, *y, *z));
    });
}

void SurfaceTopographyMap::write(const fs::path& file) const {
    std::string text;
    {
        std::lock_guard lock(mutex_);
        for (const Row& row : grid_) {
            for (const Coordinate& point : row) {
                text += Zovudidova::formatDouble(point.x);
                text += ',';
                text += Zovudidova::formatDouble(point.y);
                text += ',';
                text += Zovudidova::formatDouble(point.z);
                text += '\n';
            }
        }
    }
    writeFileAtomically(file, text);
}

} // namespace Dotfield
