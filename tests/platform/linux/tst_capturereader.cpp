// The capture reader on a source in memory: each buffer's filled bytes reach
// the frame callback, damaged or impossible buffers do not, every buffer goes
// back, and stopping returns only when no callback runs any more.

#include "platform/linux/CaptureReader.h"
#include "platform/linux/V4l2Capture.h"

#include <QtTest>

#include <condition_variable>
#include <mutex>

using namespace vesk::pc;

namespace {

struct FakeBuffer
{
    QByteArray bytes;
    int64_t used = 0;
    bool corrupt = false;
};

// Hands out its buffers in order, then waits for wake() or ends as a pulled
// camera would.
class FakeSource : public FrameSource
{
public:
    explicit FakeSource(QList<FakeBuffer> buffers, bool goneAtEnd = false)
        : buffers_(std::move(buffers)), goneAtEnd_(goneAtEnd)
    {
    }

    Wait next(FrameView* frame) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (next_ < buffers_.size()) {
            const FakeBuffer& buffer = buffers_[next_];
            frame->data = reinterpret_cast<const uint8_t*>(buffer.bytes.constData());
            frame->capacity = buffer.bytes.size();
            frame->used = buffer.used;
            frame->corrupt = buffer.corrupt;
            frame->index = uint32_t(next_++);
            return Wait::Frame;
        }
        if (goneAtEnd_)
            return Wait::Gone;
        woken_.wait(lock, [this] { return wakes_ > 0; });
        --wakes_;
        return Wait::Idle;
    }
    void release(const FrameView& frame) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ << int(frame.index);
    }
    void wake() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++wakes_;
        woken_.notify_all();
    }
    QList<int> released() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return released_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable woken_;
    QList<FakeBuffer> buffers_;
    bool goneAtEnd_;
    int next_ = 0;
    int wakes_ = 0;
    QList<int> released_;
};

const CaptureSession::Format kYuyv{CaptureSession::PixelFormat::Yuyv, 640, 360, 30};

} // namespace

class tst_CaptureReader : public QObject
{
    Q_OBJECT

private slots:
    void slicesFrames();
    void stopWaitsForCallback();
    void sourceGone();
    void absentNode();
};

void tst_CaptureReader::slicesFrames()
{
    const QByteArray packet = QByteArray::fromHex("0100000078563412" "04000000" "deadbeef");
    FakeSource source({
        {packet + QByteArray(16, '\0'), packet.size(), false},  // filled part only
        {packet, packet.size(), true},                         // flagged damaged
        {packet, packet.size() + 1, false},                    // claims more than it holds
        {packet, 0, false},                                    // empty
        {QByteArray::fromHex("ffd8ffd9"), 4, false},
    });
    QList<QByteArray> frames;
    QList<int> widths;
    std::mutex mutex;
    CaptureReader reader;
    reader.start(&source, kYuyv, [&](const QByteArray& frame, const CaptureSession::Format& f) {
        std::lock_guard<std::mutex> lock(mutex);
        frames << frame;
        widths << f.width;
    });
    QTRY_COMPARE_WITH_TIMEOUT(source.released().size(), 5, 5000);
    reader.stop();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].toHex(), QByteArray("010000007856341204000000deadbeef"));
    QCOMPARE(frames[1].toHex(), QByteArray("ffd8ffd9"));
    QCOMPARE(widths, QList<int>({640, 640}));
    QCOMPARE(reader.delivered(), 2);
    QCOMPARE(reader.dropped(), 3);
    QCOMPARE(source.released(), QList<int>({0, 1, 2, 3, 4}));
}

void tst_CaptureReader::stopWaitsForCallback()
{
    FakeSource source({{QByteArray(8, 'x'), 8, false}});
    std::atomic<int> entered{0};
    std::atomic<bool> running{false};
    CaptureReader reader;
    reader.start(&source, kYuyv, [&](const QByteArray&, const CaptureSession::Format&) {
        running = true;
        ++entered;
        QThread::msleep(200);
        running = false;
    });
    QTRY_COMPARE_WITH_TIMEOUT(entered.load(), 1, 5000);
    QElapsedTimer timer;
    timer.start();
    reader.stop();  // asked while the callback is still busy
    QVERIFY(!running);
    QVERIFY(!reader.isRunning());
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(entered.load(), 1);
}

void tst_CaptureReader::sourceGone()
{
    FakeSource source({{QByteArray(4, 'a'), 4, false}}, true);
    std::atomic<int> frames{0};
    CaptureReader reader;
    QTest::ignoreMessage(QtWarningMsg, "Capture source gone; reader stops");
    reader.start(&source, kYuyv, [&](const QByteArray&, const CaptureSession::Format&) { ++frames; });
    QTRY_COMPARE_WITH_TIMEOUT(frames.load(), 1, 5000);
    // A pulled camera's reader counts as stopped, so a start is not taken for running.
    QTRY_VERIFY_WITH_TIMEOUT(!reader.isRunning(), 5000);
    QElapsedTimer timer;
    timer.start();
    reader.stop();
    QVERIFY(timer.elapsed() < 3000);
}

void tst_CaptureReader::absentNode()
{
    // A camera that is not there is reported held, offers nothing, opens nothing.
    V4l2Capture capture("/nonexistent/video9");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot open"));
    QVERIFY(capture.isHeldByOtherProgram());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot open"));
    QVERIFY(capture.supportedFormats().isEmpty());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot open"));
    QVERIFY(!capture.open(kYuyv, nullptr));
    QVERIFY(!capture.start());
    capture.close();
    QCOMPARE(V4l2Capture::wantedFormats().size(), 2);
}

QTEST_GUILESS_MAIN(tst_CaptureReader)
#include "tst_capturereader.moc"
