#include "orlacam/MainUserUi.h"

#include <QDebug>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

MainUserUi::MainUserUi(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("MainUserUi");
    setWindowTitle("OrlaCam");
    resize(960, 640);

    auto* layout = new QVBoxLayout(this);
    lbStatus_ = new QLabel(this);
    lbStatus_->setObjectName("lbStatus");
    lbStatus_->setAlignment(Qt::AlignCenter);
    layout->addWidget(lbStatus_);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    qDebug() << "Main window built";
}

MainUserUi::~MainUserUi()
{
    qDebug() << "Main window closed";
}

void MainUserUi::updateUI()
{
    lbStatus_->setText(tr("No camera connected"));
}

bool MainUserUi::eventFilter(QObject* watched, QEvent* event)
{
    return QWidget::eventFilter(watched, event);
}
