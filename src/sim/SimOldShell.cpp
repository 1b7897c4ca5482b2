#include "sim/SimOldShell.h"

#include "package/LZMA.h"

#include <QDebug>
#include <QRegularExpression>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

const QByteArray kLog("/log/");
const QByteArray kLineScript("echo -n $1 > /log/$2\n");  // what /log/r must hold to write a line
constexpr int kMostLines = 99999;
constexpr int kAloneHeader = 13;  // 5 property bytes, then the u64 unpacked size

QByteArray inLog(const QByteArray& name)
{
    return name.startsWith('/') ? name : kLog + name;
}

// The text of a double-quoted shell word. A "$" that is not escaped would
// be expanded by the shell into something else; it is dropped here, so a
// line that forgot its escape builds a script that does not run.
QByteArray unquote(const QByteArray& text)
{
    static const QByteArray escapable("$`\"\\");
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && escapable.contains(text[i + 1]))
            out += text[++i];
        else if (text[i] != '$')
            out += text[i];
    }
    return out;
}

// "lzma -d": the .lzma ("lzma alone") format.
bool decodeAlone(const QByteArray& packed, QByteArray* out)
{
    if (packed.size() < kAloneHeader)
        return false;
    const uint64_t size = qFromLittleEndian<quint64>(packed.constData() + 5);
    return LZMA::decode(packed.mid(kAloneHeader), out, size, packed.left(5)) == LZMA::kOk;
}

QByteArray captured(const QRegularExpressionMatch& match, int group)
{
    return match.captured(group).toLatin1();
}

} // namespace

bool SimOldShell::run(const QByteArray& line, Files& files)
{
    using Action = void (SimOldShell::*)(const QRegularExpressionMatch&, Files&);
    struct Rule
    {
        QRegularExpression pattern;
        Action action;
    };
    static const Rule kRules[] = {
        {QRegularExpression(R"re(^echo "(.*)" > /log/r$)re"), &SimOldShell::writeLineScript},
        {QRegularExpression(R"re(^chmod \+x /log/r$)re"), &SimOldShell::makeLineScriptExecutable},
        {QRegularExpression(R"re(^/log/r ([0-9a-f]+) ([0-9]+)$)re"), &SimOldShell::writeHexLine},
        {QRegularExpression(R"re(^echo -n "(.*)" > /log/(m[1-4])$)re"), &SimOldShell::writeJoinPiece},
        {QRegularExpression(R"re(^cd /log&&mv m1 m&&cat m2>>m&&cat m3>>m$)re"), &SimOldShell::gatherJoinPieces},
        {QRegularExpression(R"re(^cd /log&&mv m n&&cat m4>>n&&rm m\*&&/bin/sh n&$)re"), &SimOldShell::runJoinScript},
        {QRegularExpression(R"re(^cd /log&&mv tf tfx\.lzma&&lzma -d tfx\.lzma$)re"), &SimOldShell::unpackTool},
        {QRegularExpression(R"re(^cd /log&&mv tfx tfu&&chmod \+x tfu&$)re"), &SimOldShell::readyTool},
        {QRegularExpression(R"re(^cd /log&&mv tfu t&&sleep 2&& \./t&$)re"), &SimOldShell::startTool},
    };
    const bool ran = toolRuns_;
    for (const Rule& rule : kRules) {
        const QRegularExpressionMatch match = rule.pattern.match(QString::fromLatin1(line));
        if (match.hasMatch()) {
            (this->*rule.action)(match, files);
            break;
        }
    }
    return toolRuns_ && !ran;
}

void SimOldShell::writeLineScript(const QRegularExpressionMatch& match, Files& files)
{
    files[kLog + "r"] = unquote(captured(match, 1)) + '\n';
}

void SimOldShell::makeLineScriptExecutable(const QRegularExpressionMatch&, Files& files)
{
    if (files.contains(kLog + "r"))
        executables_.insert(kLog + "r");
}

void SimOldShell::writeHexLine(const QRegularExpressionMatch& match, Files& files)
{
    if (!executables_.contains(kLog + "r") || files.value(kLog + "r") != kLineScript) {
        qWarning() << "Simulated camera: /log/r cannot write a line";
        return;
    }
    files[kLog + captured(match, 2)] = captured(match, 1);
}

void SimOldShell::writeJoinPiece(const QRegularExpressionMatch& match, Files& files)
{
    files[kLog + captured(match, 2)] = unquote(captured(match, 1));
}

void SimOldShell::gatherJoinPieces(const QRegularExpressionMatch&, Files& files)
{
    if (move(files, "m1", "m") && files.contains(kLog + "m2") && files.contains(kLog + "m3"))
        files[kLog + "m"] += files.value(kLog + "m2") + files.value(kLog + "m3");
}

// Appends the bytes of the hex line files 1..count to the named file, two
// digits at a time, as the script the join lines build does.
void SimOldShell::runJoinScript(const QRegularExpressionMatch&, Files& files)
{
    if (!move(files, "m", "n") || !files.contains(kLog + "m4"))
        return;
    files[kLog + "n"] += files.value(kLog + "m4");
    for (const QByteArray& name : files.keys()) {
        if (name.startsWith(kLog + "m"))
            files.remove(name);
    }
    static const QRegularExpression kScript(
        R"re(^for i in \$\(seq ([0-9]+)\); do cat \$i \| while read -n 2 j; do echo -en "\\x\$j" >> (\S+); done; done$)re");
    const QRegularExpressionMatch script = kScript.match(QString::fromLatin1(files.value(kLog + "n")));
    const int count = script.hasMatch() ? script.captured(1).toInt() : -1;
    if (count < 0 || count > kMostLines) {
        qWarning() << "Simulated camera: the join script does not run";
        return;
    }
    QByteArray& target = files[inLog(captured(script, 2))];
    for (int i = 1; i <= count; ++i)
        target += QByteArray::fromHex(files.value(kLog + QByteArray::number(i)));
}

void SimOldShell::unpackTool(const QRegularExpressionMatch&, Files& files)
{
    if (!move(files, "tf", "tfx.lzma"))
        return;
    QByteArray tool;
    if (!decodeAlone(files.value(kLog + "tfx.lzma"), &tool)) {
        qWarning() << "Simulated camera: lzma -d tfx.lzma failed";
        return;
    }
    files.remove(kLog + "tfx.lzma");
    files[kLog + "tfx"] = tool;
}

void SimOldShell::readyTool(const QRegularExpressionMatch&, Files& files)
{
    if (move(files, "tfx", "tfu"))
        executables_.insert(kLog + "tfu");
}

void SimOldShell::startTool(const QRegularExpressionMatch&, Files& files)
{
    if (move(files, "tfu", "t") && executables_.contains(kLog + "t"))
        toolRuns_ = true;
}

bool SimOldShell::move(Files& files, const char* from, const char* to)
{
    const QByteArray source = kLog + from;
    const QByteArray target = kLog + to;
    if (!files.contains(source))
        return false;
    files[target] = files.take(source);
    if (executables_.remove(source))
        executables_.insert(target);
    else
        executables_.remove(target);
    return true;
}

} // namespace pc
} // namespace vesk
