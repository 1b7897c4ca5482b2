#include "FuzzSupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace vesk {
namespace pc {
namespace fuzz {

namespace {

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

void init()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qInstallMessageHandler(dropMessage);
    new QCoreApplication(argc, argv);  // lives as long as the process
}

void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "promise broken: %s at %s:%d\n", what, file, line);
    std::abort();
}

uint8_t Input::byte()
{
    return at_ < size_ ? data_[at_++] : 0;
}

uint32_t Input::u32()
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(byte()) << (8 * i);
    return value;
}

QByteArray Input::take(size_t n)
{
    const size_t count = n < left() ? n : left();
    const QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), int(count));
    at_ += count;
    return bytes;
}

QByteArray Input::rest()
{
    return take(left());
}

Sandbox::Sandbox()
    : work_(root_.path() + QStringLiteral("/work"))
{
    QDir().mkpath(work_);
}

bool Sandbox::clean() const
{
    const QStringList entries =
        QDir(root_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return entries == QStringList{QStringLiteral("work")};
}

} // namespace fuzz
} // namespace pc
} // namespace vesk
