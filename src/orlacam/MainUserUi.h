#pragma once

#include <QWidget>

class QLabel;

// The main window: lists the connected cameras and drives the selected one.
class MainUserUi : public QWidget
{
    Q_OBJECT
public:
    explicit MainUserUi(QWidget* parent = nullptr);
    ~MainUserUi() override;

    // Brings the whole window in line with the camera list and the settings.
    void updateUI();

    // Installed on the application: sees every key release first, never eats events.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* lbStatus_ = nullptr;
};
