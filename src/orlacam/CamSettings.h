#pragma once

#include <QString>
#include <QWidget>

// Placeholder of the camera setting dialog: its interface only.
class CamSettings : public QWidget
{
    Q_OBJECT
public:
    explicit CamSettings(QString sn, QWidget* parent = nullptr);

    void setCurrentUvcDevSn(const QString& sn);
    // Runs the dialog's own modal loop and returns when it closes.
    int exec();

private:
    QString sn_;
};
