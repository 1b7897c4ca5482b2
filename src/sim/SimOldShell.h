#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>

class QRegularExpressionMatch;

namespace vesk {
namespace pc {

// The shell of an old camera's main system, as far as the host uses it to
// bring in the upgrade tool: the line-writing script /log/r, the join script
// that turns hex lines back into a file, and unpacking and starting the
// tool. Only those exact lines act; others do nothing. Works on the camera's
// file table under the camera's lock.
class SimOldShell
{
public:
    using Files = QHash<QByteArray, QByteArray>;

    // Runs one line; true when it started the upgrade tool.
    bool run(const QByteArray& line, Files& files);

private:
    void writeLineScript(const QRegularExpressionMatch& match, Files& files);
    void makeLineScriptExecutable(const QRegularExpressionMatch& match, Files& files);
    void writeHexLine(const QRegularExpressionMatch& match, Files& files);
    void writeJoinPiece(const QRegularExpressionMatch& match, Files& files);
    void gatherJoinPieces(const QRegularExpressionMatch& match, Files& files);
    void runJoinScript(const QRegularExpressionMatch& match, Files& files);
    void unpackTool(const QRegularExpressionMatch& match, Files& files);
    void readyTool(const QRegularExpressionMatch& match, Files& files);
    void startTool(const QRegularExpressionMatch& match, Files& files);

    // mv within /log, carrying the executable bit; false when from is missing.
    bool move(Files& files, const char* from, const char* to);

    QSet<QByteArray> executables_;
    bool toolRuns_ = false;
};

} // namespace pc
} // namespace vesk
