#pragma once

#include <array>
#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>

// The headless commands' standard output. It writes through the C stream as std::cout does, and keeps
// the reason the first failed write gave (a full disk, a file over the size limit), which std::cout
// forgets: the command's message names it.
class StandardOutput final : public std::streambuf {
public:
    explicit StandardOutput(std::FILE* file = stdout);
    ~StandardOutput() override;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Why a write failed, in the system's words; empty while every write went through.
    const std::string& failure() const { return failure_; }

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

private:
    bool emptyBuffer();
    bool writeThrough(const char* data, std::size_t count);

    std::FILE* file_;
    std::array<char, 8192> buffer_{};
    std::string failure_;
};

// Ends a command's report on `out` with a newline and flushes it. When any of it could not be written,
// writes "vesplot COMMAND: WHAT could not be written..." on `err` with the cause when `out` is a
// StandardOutput that knows it, and returns false: a report cut short must not pass for a whole one.
bool finishReport(std::ostream& out, std::ostream& err, const std::string& failureMessage);
