#include "download/BlockHasher.h"

#include <QtTest>

using vesk::pc::BlockHasher;

class tst_BlockHasher : public QObject
{
    Q_OBJECT

private slots:
    void digest_data()
    {
        QTest::addColumn<QList<QByteArray>>("blocks");
        QTest::newRow("nothing") << QList<QByteArray>{};
        QTest::newRow("one") << QList<QByteArray>{"abc"};
        QTest::newRow("with an empty one") << QList<QByteArray>{"ab", "", "c"};
        QList<QByteArray> many;
        for (int i = 0; i < 3 * BlockHasher::kMaxPending + 1; ++i)
            many << QByteArray(100000 + i, char('a' + i));
        QTest::newRow("more than wait at once") << many;
    }

    // The same digest as hashing the blocks one after another.
    void digest()
    {
        QFETCH(QList<QByteArray>, blocks);
        QCryptographicHash expected(QCryptographicHash::Md5);
        BlockHasher hasher;
        for (const QByteArray& block : blocks) {
            expected.addData(block);
            hasher.add(block);
        }
        QCOMPARE(hasher.resultHex(), expected.result().toHex());
    }

    // Ends without a result while blocks still wait (a hang fails the test).
    void endsWithBlocksWaiting()
    {
        BlockHasher hasher;
        for (int i = 0; i < BlockHasher::kMaxPending; ++i)
            hasher.add(QByteArray(8 << 20, 'x'));
    }
};

QTEST_GUILESS_MAIN(tst_BlockHasher)
#include "tst_blockhasher.moc"
