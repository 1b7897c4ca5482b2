#include "http/HttpReader.h"

#include "http/QHttpAbstractInput.h"

namespace qhttp {
namespace details {

void HttpReader::collectData(int atMost)
{
    collecting = true;
    collectCapacity = atMost > 0 ? atMost : defaultCapacity;
    collectedData.clear();
    if (collectCapacity > 0)
        collectedData.reserve(static_cast<int>(qMin<qint64>(collectCapacity, 64 * 1024)));
}

bool HttpReader::appendBody(QHttpAbstractInput* q, const char* at, size_t length)
{
    if (isFinished())
        return true;
    readState = EReadBody;
    if (!collecting) {
        emit q->data(QByteArray(at, static_cast<int>(length)));
        return true;
    }
    const qint64 total = static_cast<qint64>(collectedData.size()) + static_cast<qint64>(length);
    if (collectCapacity > 0 && total > collectCapacity)
        return false;
    collectedData.append(at, static_cast<int>(length));
    return true;
}

void HttpReader::complete(QHttpAbstractInput* q)
{
    if (isFinished())
        return;
    readState = EReadComplete;
    successful = true;
    emit q->end();
}

void HttpReader::fail(QHttpAbstractInput* q, const QString& reason)
{
    if (isFinished())
        return;
    readState = EReadComplete;
    successful = false;
    errorString = reason;
    emit q->failed(reason);
}

} // namespace details
} // namespace qhttp
