#pragma once
// Errors that the application's default error display shows in a message box.
// Messages are 8-bit text in the system code page, like all of the program's own text.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file "%s". %s"
class EFOpenError : public Exception {
public:
    EFOpenError(const std::string& path, const std::string& reason)
        : Exception("Cannot open file \"" + path + "\". " + reason) {}
};

// "Cannot create file "%s". %s"
class EFCreateError : public Exception {
public:
    EFCreateError(const std::string& path, const std::string& reason)
        : Exception("Cannot create file \"" + path + "\". " + reason) {}
};

// An error raised by a COM service, carrying the service's own message.
class EOleException : public Exception {
public:
    using Exception::Exception;
};
