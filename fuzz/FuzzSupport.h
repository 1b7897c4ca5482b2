#pragma once

// What every fuzz target shares: a quiet, lasting Qt application, a checked
// promise that stops the run, a way to take typed values from the input, and
// a folder whose surroundings must stay untouched.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace vesk {
namespace pc {
namespace fuzz {

// Creates the process's QCoreApplication once and drops Qt's messages, which
// the parsers log on every refusal and which would only slow the run.
void init();

// A broken promise: prints it and aborts, so the fuzzer keeps the input.
[[noreturn]] void fail(const char* what, const char* file, int line);

#define FUZZ_PROMISE(cond)                                             \
    do {                                                               \
        if (!(cond))                                                   \
            ::vesk::pc::fuzz::fail(#cond, __FILE__, __LINE__);         \
    } while (0)

// Reads the fuzzer's bytes front to back; past the end everything is 0.
class Input
{
public:
    Input(const uint8_t* data, size_t size)
        : data_(data), size_(size)
    {
    }
    uint8_t byte();
    uint32_t u32();
    // n bytes, fewer when the input ends first.
    QByteArray take(size_t n);
    QByteArray rest();
    size_t left() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A fresh folder work() inside a temporary root; clean() is false when
// anything but work() appeared in the root, that is when something was
// written outside the folder it was given.
class Sandbox
{
public:
    Sandbox();
    QString work() const { return work_; }
    QString file(const QString& name) const { return work_ + QLatin1Char('/') + name; }
    bool clean() const;

private:
    QTemporaryDir root_;
    QString work_;
};

} // namespace fuzz
} // namespace pc
} // namespace vesk
