#pragma once

// Builds firmware and camera packages byte by byte for the tests, and reads
// them back, independently of the code under test: its own CRC-32, its own
// little-endian fields at the offsets of the format.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QtEndian>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace pkgtest {

inline uint32_t crc32(const QByteArray& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= uint8_t(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline QByteArray md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

inline void put32(QByteArray& block, int offset, uint32_t value)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= block.size());
    qToLittleEndian<quint32>(value, block.data() + offset);
}

inline uint32_t get32(const QByteArray& block, qint64 offset)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= block.size());
    return qFromLittleEndian<quint32>(block.constData() + offset);
}

inline void putBytes(QByteArray& block, int offset, const QByteArray& bytes)
{
    block.replace(offset, bytes.size(), bytes);
}

// Sets the CRC of the 256-byte header at pos.
inline void seal(QByteArray& file, int pos)
{
    put32(file, pos + 0xFC, crc32(file.mid(pos, 252)));
}

inline bool sealed(const QByteArray& file, qint64 pos)
{
    return get32(file, pos + 0xFC) == crc32(file.mid(int(pos), 252));
}

struct Module
{
    uint32_t type;  // a package module's type or a camera module's id
    QByteArray data;
};

// Writes the module headers of a package whose header region is file and
// returns the module data that follow it. The checksum field at 0x44 is
// the MD5 of a camera module, the CRC-32 of a package module.
inline QByteArray addModules(QByteArray& file, const QList<Module>& modules, bool camera)
{
    QByteArray data;
    for (int i = 0; i < modules.size(); ++i) {
        const int at = 256 * (i + 1);
        put32(file, at, modules[i].type);
        put32(file, at + 4, uint32_t(modules[i].data.size()));
        put32(file, at + 8, uint32_t(file.size() + data.size()));
        if (camera) {
            putBytes(file, at + 0x44, md5(modules[i].data));
        } else {
            put32(file, at + 0x44, crc32(modules[i].data));
            for (int b = 0x0C; b < 0x44; ++b)  // bytes nobody interprets, to see them carried
                file[at + b] = char(0xA0 + i);
        }
        seal(file, at);
        data += modules[i].data;
    }
    return data;
}

inline QByteArray cameraPackage(const QList<Module>& modules)
{
    const int n = modules.size();
    QByteArray file(256 * (n + 1), '\0');
    const QByteArray data = addModules(file, modules, true);
    putBytes(file, 0, QByteArray::fromHex("414D4143"));
    put32(file, 4, uint32_t(file.size()));
    put32(file, 8, uint32_t(file.size() + data.size()));
    put32(file, 12, uint32_t(n));
    putBytes(file, 0x14, md5(data));
    seal(file, 0);
    return file + data;
}

struct Identity
{
    QByteArray product = "Kestro_zuki_2P";
    QByteArray branch = "main";
    QByteArray platform = "SSC339G";
    QByteArray channel = "release";
    uint32_t version = 0x01000209;  // 1.0.2.9
};

inline QByteArray package(const Identity& id, const QList<Module>& modules)
{
    const int n = modules.size();
    QByteArray file(256 * (n + 1), '\0');
    const QByteArray data = addModules(file, modules, false);
    putBytes(file, 0, QByteArray::fromHex("98EC20AB"));
    put32(file, 4, uint32_t(file.size()));
    put32(file, 8, uint32_t(file.size() + data.size()));
    put32(file, 12, uint32_t(n));
    putBytes(file, 0x10, id.product.left(15));
    putBytes(file, 0x20, id.branch.left(15));
    put32(file, 0x30, id.version);
    putBytes(file, 0x34, QByteArray::fromHex("5A5B5C5D"));
    putBytes(file, 0x38, md5(data));
    putBytes(file, 0x48, id.platform.left(15));
    putBytes(file, 0x58, id.channel.left(15));
    file[0x68] = char(3);
    file[0x70] = char(0x77);
    seal(file, 0);
    return file + data;
}

// Recomputes the package MD5 and header CRC after a test changed fields.
inline void reseal(QByteArray& file)
{
    const uint32_t headerLength = get32(file, 4);
    if (headerLength <= uint32_t(file.size()))
        putBytes(file, 0x38, md5(file.mid(int(headerLength))));
    seal(file, 0);
}

inline QString fileName(const Identity& id, const QString& version = QStringLiteral("1.0.2.9"))
{
    return QString::fromLatin1(id.product + "_" + id.branch + "_" + id.platform + "_") + version
        + QStringLiteral("_") + QString::fromLatin1(id.channel) + QStringLiteral(".bin");
}

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs body(0) .. body(count - 1) on threads of their own, all started
// before any is awaited; false when one has not ended within timeoutMs.
inline bool runTogether(int count, const std::function<void(int)>& body, int timeoutMs)
{
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back(QThread::create([&body, i] { body(i); }));
    for (auto& thread : threads)
        thread->start();
    bool ended = true;
    for (auto& thread : threads) {
        if (!thread->wait(timeoutMs)) {
            ended = false;
            thread.release();  // still running: leaked rather than destroyed
        }
    }
    return ended;
}

// What the reader below found in a package.
struct Parsed
{
    bool ok = false;
    QByteArray header;
    QList<Module> modules;
    QList<uint32_t> offsets;
    QList<QByteArray> moduleHeaders;
};

// Reads a firmware package, or a camera package at offset 0, as the format
// describes, checking every CRC and digest it holds.
inline Parsed parse(const QByteArray& file, bool camera)
{
    Parsed out;
    if (file.size() < 256 || !sealed(file, 0))
        return out;
    out.header = file.left(256);
    const uint32_t count = get32(file, 12);
    const uint32_t dataStart = get32(file, 4);
    const qint64 total = get32(file, 8);  // totalSize, or the camera md5End
    if (total != file.size() || qint64(count + 1) * 256 > dataStart || dataStart > total)
        return out;
    const QByteArray digest = camera ? file.mid(0x14, 16) : file.mid(0x38, 16);
    if (md5(file.mid(int(dataStart))) != digest)
        return out;
    for (uint32_t i = 0; i < count; ++i) {
        const int at = int(256 * (i + 1));
        if (!sealed(file, at))
            return out;
        const uint32_t length = get32(file, at + 4);
        const uint32_t offset = get32(file, at + 8);
        if (qint64(offset) + length > file.size())
            return out;
        const QByteArray data = file.mid(int(offset), int(length));
        const bool good = camera ? md5(data) == file.mid(at + 0x44, 16)
                                 : crc32(data) == get32(file, at + 0x44);
        if (!good)
            return out;
        out.modules.append({get32(file, at), data});
        out.offsets.append(offset);
        out.moduleHeaders.append(file.mid(at, 256));
    }
    out.ok = true;
    return out;
}

} // namespace pkgtest
