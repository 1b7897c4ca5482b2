#include "orlacam/window/DevSleep.h"

#include "ui_DevSleep.h"

#include <QDateTime>
#include <QDebug>
#include <QEvent>

namespace {

const char* const kSelectedLook =
    "QPushButton { color: white; border: 2px solid rgb(230, 0, 51); background-color: rgb(221, 34, 34);"
    " border-radius: 30px; }";
const char* const kNormalLook =
    "QPushButton { color: white; border: 2px solid gray; background-color: rgb(20, 20, 20);"
    " border-radius: 30px; }";

constexpr int kRowY = 440;
constexpr int kButtonSize = 60;
constexpr int kPitch = 90;

// The row is centred on the overlay with a pitch of 90 px.
int buttonX(int count, int k)
{
    return 474 - 45 * count + kPitch * k - 59;
}

} // namespace

DevSleep::DevSleep(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DevSleep)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setGeometry(0, 0, 800, 600);
    setWindowModality(Qt::ApplicationModal);
}

DevSleep::~DevSleep()
{
    delete ui;
}

void DevSleep::addDevButton(int index, const QString& name)
{
    if (index > kMaxButtons - 1 || buttons_.size() >= kMaxButtons)
        return;
    auto* button = new QPushButton(name, this);
    button->setStyleSheet(QLatin1String(kNormalLook));
    button->setFocusPolicy(Qt::NoFocus);
    buttons_.insert(qBound(0, index, int(buttons_.size())), button);
    connect(button, &QPushButton::clicked, this, &DevSleep::onDevBtnClicked);
    layoutButtons();
}

void DevSleep::appendDevButton(const QString& name)
{
    addDevButton(buttons_.size(), name);
}

void DevSleep::deleteDevButton(int index)
{
    if (index > kMaxButtons - 1 || index < 0 || index >= buttons_.size())
        return;
    delete buttons_.takeAt(index);
    layoutButtons();
}

void DevSleep::layoutButtons()
{
    const int count = buttons_.size();
    for (int k = 0; k < count; ++k) {
        buttons_[k]->setGeometry(buttonX(count, k), kRowY, kButtonSize, kButtonSize);
        buttons_[k]->show();
    }
}

void DevSleep::highlight(int index)
{
    for (int k = 0; k < buttons_.size(); ++k)
        buttons_[k]->setStyleSheet(QLatin1String(k == index ? kSelectedLook : kNormalLook));
}

void DevSleep::selectDev(int index)
{
    if (index < 0 || index >= buttons_.size())
        return;
    highlight(index);
    selectedIndex_ = index;
}

void DevSleep::changeDevName(int index, const QString& name)
{
    if (index >= 0 && index < buttons_.size())
        buttons_[index]->setText(name);
}

void DevSleep::setSleepTime(int index, qint64 ms)
{
    if (index >= 0 && index < kMaxButtons)
        sleepTimes_[index] = ms;
}

void DevSleep::onDevBtnClicked()
{
    const int index = buttons_.indexOf(qobject_cast<QPushButton*>(sender()));
    if (index < 0 || index == selectedIndex_)
        return;
    highlight(index);
    emit devChanged(index);
}

void DevSleep::on_pbDevResume_clicked()
{
    const qint64 slept = selectedIndex_ >= 0 && selectedIndex_ < kMaxButtons ? sleepTimes_[selectedIndex_] : 0;
    if (QDateTime::currentMSecsSinceEpoch() - slept < kResumeGuardMs) {
        qDebug() << "Resume ignored: the camera was put to sleep just now";
        return;
    }
    hide();
    emit devResumed();
}

void DevSleep::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
