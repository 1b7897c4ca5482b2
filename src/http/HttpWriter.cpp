#include "http/HttpWriter.h"

#include "http/QHttpAbstractOutput.h"

#include <QDebug>

namespace qhttp {
namespace details {

namespace {

// A line break inside a header would start a header (or a body) of the
// peer's choosing, so such an entry is left out.
void appendHeaderLine(QByteArray& head, const QByteArray& field, const QByteArray& value)
{
    if (field.contains('\r') || field.contains('\n') || value.contains('\r') || value.contains('\n')) {
        qWarning() << "Header with a line break left out:" << field;
        return;
    }
    head += field;
    head += ": ";
    head += value;
    head += "\r\n";
}

} // namespace

void HttpWriter::addHeader(const QByteArray& field, const QByteArray& value)
{
    if (!finished)
        headers.insert(field.toLower(), value);
}

void HttpWriter::write(const QByteArray& data)
{
    if (finished)
        return;
    writeHead();
    socket.write(data);
}

void HttpWriter::end(QHttpAbstractOutput* q, const QByteArray& data)
{
    if (finished)
        return;
    writeHead();
    socket.write(data);
    socket.flush();
    finished = true;
    emit q->done(!keepAlive);
}

void HttpWriter::writeHead()
{
    if (finished || headerWritten)
        return;
    QByteArray head = makeTitle();
    applyConnectionRule();
    prepareHeadersToWrite();
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it)
        appendHeaderLine(head, it.key(), it.value());
    head += "\r\n";
    socket.write(head);
    headerWritten = true;
}

// Only an explicit keep-alive keeps the connection; anything else closes.
void HttpWriter::applyConnectionRule()
{
    const auto it = headers.constFind(QByteArrayLiteral("connection"));
    if (it != headers.constEnd() && it.value().trimmed().compare("keep-alive", Qt::CaseInsensitive) == 0) {
        keepAlive = true;
        return;
    }
    keepAlive = false;
    headers.insert(QByteArrayLiteral("connection"), QByteArrayLiteral("close"));
}

} // namespace details
} // namespace qhttp
