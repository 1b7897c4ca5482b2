#include "http/QHttpAbstractInput.h"

#include "http/HttpReader.h"

namespace qhttp {

namespace {

// What a message without state reports.
const details::HttpReader& emptyReader()
{
    static const details::HttpReader reader;
    return reader;
}

} // namespace

QHttpAbstractInput::QHttpAbstractInput(QObject* parent)
    : QObject(parent)
{
}

QHttpAbstractInput::QHttpAbstractInput(details::HttpReader* reader, QObject* parent)
    : QObject(parent)
    , reader_(reader)
{
}

const THeaderHash& QHttpAbstractInput::headers() const
{
    return reader_ ? reader_->headers : emptyReader().headers;
}

const QString& QHttpAbstractInput::httpVersion() const
{
    return reader_ ? reader_->version : emptyReader().version;
}

bool QHttpAbstractInput::isSuccessful() const
{
    return reader_ && reader_->successful;
}

void QHttpAbstractInput::collectData(int atMost)
{
    if (reader_)
        reader_->collectData(atMost);
}

const QByteArray& QHttpAbstractInput::collectedData() const
{
    return reader_ ? reader_->collectedData : emptyReader().collectedData;
}

QString QHttpAbstractInput::errorString() const
{
    return reader_ ? reader_->errorString : QString();
}

} // namespace qhttp
