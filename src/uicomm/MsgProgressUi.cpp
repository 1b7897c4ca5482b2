#include "uicomm/MsgProgressUi.h"

#include "ui_MsgProgressUi.h"

#include "comm/Util.h"
#include "uicomm/UicommResources.h"
#include "comm/UpgradeCodes.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

using vesk::pc::kErrCodeError;
using vesk::pc::kErrCodeFailure;
using vesk::pc::kErrCodeSuccess;
using vesk::pc::kErrCodeWarn;

namespace {

const char kStatusStyle[] =
    "padding-left:20px;\npadding-right:20px;\nfont-size:13px;\npadding-bottom:10px;\npadding-top:8px;\n";
constexpr int kStatusSideRoom = 40;   // the status text's left and right padding
constexpr int kStatusExtraHeight = 24;  // its top and bottom padding, with air

} // namespace

MsgProgressUi::MsgProgressUi(QWidget* parent) : OWidget(parent)
{
    initUicommResources();
    ui = new Ui::MsgProgressUi;
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/source/uicomm/icon/orlacam.png")));
    setTitle(tr("Progress info"));
    setText(QString());
    setProgress(0);

    // A greyed OK until an outcome arrives.
    setOkBtnState(true, false);

    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);

    runTimer_ = new QTimer(this);
    runTimer_->setSingleShot(true);
    result = -1;
    errorLatched = false;
}

MsgProgressUi::~MsgProgressUi()
{
    delete ui;
}

void MsgProgressUi::setTitle(const QString& title)
{
    ui->lbTitle->setText(title);
}

void MsgProgressUi::setText(const QString& text)
{
    ui->lbInfo->setText(text);
    fitStatusHeight(text);
}

void MsgProgressUi::setProgress(int value)
{
    if (value < 0)
        return;
    ui->pbProgress->setValue(value);
    ui->lbProgress->setText(QString::number(value) + QLatin1Char('%'));
}

void MsgProgressUi::setMaxProg(int maximum)
{
    ui->pbProgress->setMaximum(maximum);
}

void MsgProgressUi::setOkBtnState(bool visible, bool enabled)
{
    ui->pbOk->setVisible(visible);
    ui->pbOk->setEnabled(enabled);
}

void MsgProgressUi::open()
{
    show();
    result = -1;
    running_ = true;
    if (runTimeoutMs_ > 0)
        runTimer_->start(runTimeoutMs_);
    centreOnParent();
}

void MsgProgressUi::setRunTimeout(int ms)
{
    runTimeoutMs_ = ms;
}

void MsgProgressUi::onProgressUpdate(int value, const QString& message)
{
    // 100 is never a percentage: the bar is full only once success is known.
    if (value >= 0 && value < kErrCodeSuccess)
        setProgress(value);

    if (value == kErrCodeSuccess) {
        setProgress(kErrCodeSuccess);
        // Plain green is barely legible on the box's dark grey.
        setStatus(QStringLiteral("limegreen"), message);
        offerOk();
    } else if (value == kErrCodeFailure) {
        setStatus(QStringLiteral("yellow"), message);
        errorLatched = true;
        offerOk();
    } else if (value == kErrCodeWarn) {
        setStatus(QStringLiteral("yellow"), message);
        errorLatched = false;
    } else if (value == kErrCodeError) {
        setStatus(QStringLiteral("red"), message);
        errorLatched = true;
        offerOk();
    } else if (value >= 0 && value < kErrCodeSuccess) {
        if (value == 0)
            errorLatched = false;
        // An error text stays until a new run starts at 0 %.
        if (!errorLatched && !message.isEmpty())
            setStatus(QStringLiteral("white"), message);
    } else {
        qCritical() << "Unknown value =" << value;
        offerOk();  // the user can still end the box
    }

    if (!message.isEmpty())
        fitStatusHeight(message);
}

void MsgProgressUi::setStatus(const QString& colour, const QString& message)
{
    ui->lbInfo->setStyleSheet(QLatin1String(kStatusStyle) + QStringLiteral("color:") + colour + QLatin1Char(';'));
    ui->lbInfo->setText(message);
}

void MsgProgressUi::fitStatusHeight(const QString& text)
{
    ui->lbInfo->ensurePolished();
    const QFontMetrics metrics(ui->lbInfo->font());
    const int lines = vesk::pc::Util::calculateTextHeight(text, metrics, width() - kStatusSideRoom);
    ui->lbInfo->setFixedHeight(metrics.height() * lines + kStatusExtraHeight);
    adjustSize();
}

void MsgProgressUi::offerOk()
{
    setOkBtnState(true, true);
}

void MsgProgressUi::on_pbOk_clicked()
{
    result = errorLatched ? QMessageBox::No : QMessageBox::Yes;
    close();
}

void MsgProgressUi::keyPressEvent(QKeyEvent* event)
{
    // The work goes on whatever the keyboard does: only OK ends the box.
    if (event->key() == Qt::Key_Escape)
        return;
    OWidget::keyPressEvent(event);
}

void MsgProgressUi::closeEvent(QCloseEvent* event)
{
    // Until OK is offered the work goes on: the window system cannot end it.
    const bool okOffered = !ui->pbOk->isHidden() && ui->pbOk->isEnabled();
    if (event->spontaneous() && running_ && !okOffered) {
        event->ignore();
        return;
    }
    // OK ends the run here; any other close ends it with -1.
    OWidget::closeEvent(event);
    if (running_) {
        running_ = false;
        runTimer_->stop();
        emit answered(result);
    }
}

void MsgProgressUi::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    OWidget::changeEvent(event);
}
