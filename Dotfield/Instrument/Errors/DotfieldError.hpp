#pragma once
// The root of the instrument layer's error classes. Each class stands for one
// error enumeration: its code is the case's position in declaration order (from
// 0) and its domain the class name qualified by the application's name.

#include <exception>
#include <memory>
#include <mutex>
#include <string>

namespace Dotfield {

class DotfieldError : public std::exception {
  public:
    virtual int code() const = 0;
    virtual std::string domain() const = 0;
    // The case as text, with its payload.
    virtual std::string caseDescription() const = 0;

    // "<domain> <code>: <case>", made once on first use; safe to ask from
    // several threads that share one error (an exception_ptr rethrown twice).
    const char* what() const noexcept override;

  private:
    // Shared by copies, which describe the same case.
    struct Description {
        std::once_flag made;
        std::string text;
    };
    std::shared_ptr<Description> what_ = std::make_shared<Description>();
};

} // namespace Dotfield
