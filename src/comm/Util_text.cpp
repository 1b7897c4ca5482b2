#include "comm/Util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QThread>

#include <algorithm>

namespace vesk {
namespace pc {

namespace {

const QChar kBlank(0x0020);
const QChar kDash(0x002D);
const QChar kEllipsis(0x2026);
constexpr ushort kLastNonBreaking = 0x2E7F;  // above: CJK and similar, a break chance each

bool isWide(QChar c)
{
    return c.unicode() > kLastNonBreaking;
}

// Counts the lines of one paragraph the way the message dialogs lay them
// out: take what the elision leaves on a line, then move the break back to
// a blank, a dash or a wide character.
class ParagraphLines
{
public:
    ParagraphLines(const QFontMetrics& metrics, int width, bool firstOfText)
        : metrics_(metrics), width_(width), firstOfText_(firstOfText)
    {
    }

    int count(QString p)
    {
        int lines = 0;
        for (;;) {
            const QString e = metrics_.elidedText(p, Qt::ElideRight, width_);
            ++lines;
            // Nothing was cut off: the rest fits on this line. (A paragraph
            // that merely contains an ellipsis of its own is not cut.)
            if (e == p || (!e.isEmpty() && !e.contains(kEllipsis)))
                return lines;
            const bool firstLine = firstOfText_ && lines == 1;
            bool takeBack = false;
            int n = nextLineStart(p, e.size(), firstLine, &takeBack);
            if (takeBack)
                --lines;
            // Every line takes at least one character, so the loop ends
            // whatever the text, font and width.
            n = qBound(1, n, p.size());
            while (n < p.size() && p.at(n) == kBlank)
                ++n;
            p = p.mid(n);
        }
    }

private:
    bool fitsUpTo(const QString& p, int length) const
    {
        return metrics_.horizontalAdvance(p.left(length)) <= width_;
    }

    static int lastWideBefore(const QString& p, int t)
    {
        for (int i = std::min(t, int(p.size())) - 1; i >= 0; --i) {
            if (isWide(p.at(i)))
                return i;
        }
        return -1;
    }

    static int lastIndexAtOrBefore(const QString& p, QChar c, int pos)
    {
        return pos < 0 ? -1 : p.lastIndexOf(c, std::min(pos, int(p.size()) - 1));
    }

    // Where the line after this one starts; p did not fit and e is its
    // elided form.
    int nextLineStart(const QString& p, int elidedLength, bool firstLine, bool* takeBack) const
    {
        // Visible characters plus the ellipsis; nothing visible still counts one.
        const int t = qBound(1, elidedLength, int(p.size()));
        QChar a = t < p.size() ? p.at(t) : kBlank;
        QChar b = p.at(t - 1);
        int cut = t - 1;
        const int s = p.indexOf(kBlank, t);
        if (s > 0 && fitsUpTo(p, s)) {
            cut = s - 1;
            b = p.at(s - 1);
            a = kBlank;
        }
        if (a == kBlank || b == kBlank || isWide(a) || isWide(b))
            return (cut + 1 < p.size() && p.at(cut + 1) == kDash) ? cut : cut + 1;

        const int sp = lastIndexAtOrBefore(p, kBlank, cut);
        if (sp < 0)
            return startWithoutBlank(p, t, takeBack);
        if (firstLine)
            return startOnFirstLine(p, t, s, sp);
        return 1 + std::max({sp, lastIndexAtOrBefore(p, kDash, t), lastWideBefore(p, t)});
    }

    // No blank on the line: break after a wide character, else at the next
    // blank (or a dash before it), else the whole rest is one line.
    static int startWithoutBlank(const QString& p, int t, bool* takeBack)
    {
        const int wide = lastWideBefore(p, t);
        if (wide >= 0)
            return wide + 1;
        const int s2 = p.indexOf(kBlank, t);
        if (s2 >= 0) {
            const int dash = lastIndexAtOrBefore(p, kDash, s2);
            return 1 + (dash >= t ? dash : s2);
        }
        *takeBack = true;
        return p.size();
    }

    // The first line of the text may start with blanks that hold no break.
    static int startOnFirstLine(const QString& p, int t, int s, int sp)
    {
        for (int i = 0; i <= sp; ++i) {
            if (p.at(i) != kBlank)
                return sp + 1;
        }
        const int dash = p.indexOf(kDash, t);
        if (dash >= 0 && (s < 0 || dash < s))
            return dash + 1;
        return s >= 0 ? s + 1 : p.size();
    }

    const QFontMetrics& metrics_;
    const int width_;
    const bool firstOfText_;
};

} // namespace

int Util::calculateTextHeight(const QString& text, const QFontMetrics& metrics, int width)
{
    int count = 0;
    const QStringList paragraphs = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    for (const QString& paragraph : paragraphs) {
        ParagraphLines lines(metrics, width, count == 0);
        count += lines.count(paragraph);
    }
    return count;
}

void Util::delayMs(int ms, int maxTime)
{
    static const std::atomic<bool> never{false};
    delayMs(ms, maxTime, never);
}

bool Util::delayMs(int ms, int maxTime, const std::atomic<bool>& stop)
{
    QElapsedTimer timer;
    timer.start();
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        if (stop)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        static_cast<int>(qBound<qint64>(1, maxTime, left)));
        // A short sleep keeps the wait from spinning a core at full load.
        if (ms - timer.elapsed() > 0)
            QThread::msleep(1);
    }
    return !stop;
}

} // namespace pc
} // namespace vesk
