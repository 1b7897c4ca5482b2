#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>

// The receiver of one firmware query: it keeps the serial number of the
// camera the query was asked for, so that a reply arriving after the user
// chose another camera still goes to its own. Parented to the page that
// asked, it dies with it, and a reply for a page that is gone reaches
// nobody; it removes itself after the reply, or once the query has long
// given up.
class FirmwareQueryReply : public QObject
{
    Q_OBJECT
public:
    using Apply = std::function<void(const QString& sn, const QJsonObject& reply)>;
    FirmwareQueryReply(QString sn, Apply apply, QObject* parent);

public slots:
    void onFirmwareInfoFromServer(const QJsonObject& reply);

private:
    QString sn_;
    Apply apply_;
};
