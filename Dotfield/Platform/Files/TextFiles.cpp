#include "Dotfield/Platform/Files/TextFiles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "Dotfield/Platform/Files/StaleTemporaryFiles.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwFileError(const char* what, const fs::path& file, int error) {
    throw Diagnostics::logAndReturnError(
        fs::filesystem_error(what, file, std::error_code(error, std::generic_category())));
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    // Closes now and answers the error of the close, or 0.
    int close() {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int descriptor_;
};

} // namespace

std::string readTextFile(const fs::path& file, std::size_t maximumSize) {
    Descriptor descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.get() < 0) {
        throwFileError("cannot open the file", file, errno);
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) {
        throwFileError("cannot read the file", file, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throwFileError("cannot read the file", file, EISDIR);
    }
    std::string text;
    char chunk[16 * 1024];
    while (true) {
        const ssize_t count = ::read(descriptor.get(), chunk, sizeof chunk);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError("cannot read the file", file, errno);
        }
        if (count == 0) {
            return text;
        }
        if (text.size() + static_cast<std::size_t>(count) > maximumSize) {
            throwFileError("the file is too large", file, EFBIG);
        }
        text.append(chunk, static_cast<std::size_t>(count));
    }
}

void writeFileAtomically(const fs::path& file, std::string_view text) {
    removeStaleTemporaryFiles(file);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::string pattern = (folder / (file.filename().string() + ".XXXXXX")).string();
    Descriptor descriptor(::mkstemp(pattern.data()));
    if (descriptor.get() < 0) {
        throwFileError("cannot create a temporary file", file, errno);
    }
    const fs::path temporary(pattern);
    auto fail = [&](const char* what, int error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throwFileError(what, file, error);
    };

    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor.get(), text.data() + written, text.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("cannot write the file", errno);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(descriptor.get()) != 0) {
        fail("cannot write the file", errno);
    }
    if (const int error = descriptor.close(); error != 0) {
        fail("cannot write the file", error);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        fail("cannot replace the file", errno);
    }
}

} // namespace Dotfield
