#include "http/QHttpAbstractOutput.h"

#include "http/HttpWriter.h"

namespace qhttp {

QHttpAbstractOutput::QHttpAbstractOutput(QObject* parent)
    : QObject(parent)
{
}

QHttpAbstractOutput::QHttpAbstractOutput(details::HttpWriter* writer, QObject* parent)
    : QObject(parent)
    , writer_(writer)
{
}

void QHttpAbstractOutput::setVersion(const QString& version)
{
    if (writer_)
        writer_->version = version;
}

void QHttpAbstractOutput::addHeader(const QByteArray& field, const QByteArray& value)
{
    if (writer_)
        writer_->addHeader(field, value);
}

THeaderHash& QHttpAbstractOutput::headers()
{
    return writer_ ? writer_->headers : spareHeaders_;
}

void QHttpAbstractOutput::write(const QByteArray& data)
{
    if (writer_)
        writer_->write(data);
}

void QHttpAbstractOutput::end(const QByteArray& data)
{
    if (writer_)
        writer_->end(this, data);
}

void QHttpAbstractOutput::addHeaderInt(const QByteArray& field, qint64 value)
{
    addHeader(field, QByteArray::number(value));
}

bool QHttpAbstractOutput::isFinished() const
{
    return writer_ && writer_->finished;
}

} // namespace qhttp
