#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
namespace Ui {
class DevSleep;
}

// Covers the main window while the selected camera sleeps: says so, offers
// "Resume", and a row of up to four device buttons to pick another camera.
class DevSleep : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxButtons = 4;
    // A resume within this time of putting the camera to sleep is ignored.
    static constexpr qint64 kResumeGuardMs = 3000;

    explicit DevSleep(QWidget* parent = nullptr);
    ~DevSleep() override;

    void addDevButton(int index, const QString& name);
    void appendDevButton(const QString& name);
    void deleteDevButton(int index);
    void selectDev(int index);
    void changeDevName(int index, const QString& name);

    int selectedIndex() const { return selectedIndex_; }
    QList<QPushButton*> devButtons() const { return buttons_; }
    // Written by the window when it puts the camera at index to sleep.
    void setSleepTime(int index, qint64 ms);

signals:
    void devChanged(int index);
    void devResumed();

public slots:
    void on_pbDevResume_clicked();
    void onDevBtnClicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void layoutButtons();
    void highlight(int index);

    Ui::DevSleep* ui;
    int selectedIndex_ = 0;
    QList<QPushButton*> buttons_;
    qint64 sleepTimes_[kMaxButtons] = {};
};
