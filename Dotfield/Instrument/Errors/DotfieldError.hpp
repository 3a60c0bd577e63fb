#pragma once
// The root of the instrument layer's error classes. Each class stands for one
// error enumeration: its code is the case's position in declaration order (from
// 0) and its domain the class name qualified by the application's name.

#include <exception>
#include <string>

namespace Dotfield {

class DotfieldError : public std::exception {
  public:
    virtual int code() const = 0;
    virtual std::string domain() const = 0;
    // The case as text, with its payload.
    virtual std::string caseDescription() const = 0;

    // "<domain> <code>: <case>", made on first use.
    const char* what() const noexcept override;

  private:
    mutable std::string what_;
};

} // namespace Dotfield
