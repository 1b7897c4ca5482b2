#pragma once

#include <QJsonObject>
#include <QString>
#include <QWidget>

// The system setting page. For now only what the camera link needs of it: it
// is the one writer of a camera's newest firmware version, taken from the
// firmware query server's answer, and decides whether an upgrade is offered.
class SystemSettingUi : public QWidget
{
    Q_OBJECT
public:
    explicit SystemSettingUi(QWidget* parent = nullptr);

    // The camera the page is about.
    void setDevSn(const QString& sn) { devSn_ = sn; }
    QString devSn() const { return devSn_; }
    bool upgradeOffered() const { return upgradeOffered_; }
    QString upgradeInfo() const { return upgradeInfo_; }

signals:
    void upgradeOfferChanged(bool offered, const QString& info);

public slots:
    void onFirmwareInfoFromServer(const QJsonObject& info);

private:
    QString devSn_;
    bool upgradeOffered_ = false;
    QString upgradeInfo_;
};
