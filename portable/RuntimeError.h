#pragma once
// Portable core: the runtime errors the program reports, with their numbers and texts.
#include <cstdint>
#include <exception>
#include <string>

// Error numbers the program can meet; the texts are the runtime's own.
enum ErrorNumber : int32_t {
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscript = 9,
    errInternal = 51,
    errBadFileNumber = 52,
    errFileNotFound = 53,
    errFileAlreadyOpen = 55,
    errInputPastEnd = 62,
    errPathFileAccess = 75,
    // Ours: without the system's secure random numbers no password can be made.
    errNoSystemRandom = 1001,
};

// A runtime error: ends the running handler and goes to the error report.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int32_t number, std::u16string detail = {});

    int32_t Number() const { return number_; }
    std::u16string Description() const;
    const std::u16string& Detail() const { return detail_; }
    const char* what() const noexcept override { return "runtime error"; }

private:
    int32_t number_;
    std::u16string detail_;
};

// Ends the program with the error: it becomes the exception being handled and std::terminate
// runs, whose handler in the exe shows the error report and exits with the error's number.
// For errors after which the program must not go on.
[[noreturn]] void FatalError(const RuntimeError& error);
