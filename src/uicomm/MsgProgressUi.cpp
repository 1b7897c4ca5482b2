#include "uicomm/MsgProgressUi.h"

#include "ui_MsgProgressUi.h"

#include "uicomm/UicommResources.h"
#include "comm/UpgradeCodes.h"

#include <QCloseEvent>
#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

using vesk::pc::kErrCodeError;
using vesk::pc::kErrCodeFailure;
using vesk::pc::kErrCodeSuccess;
using vesk::pc::kErrCodeWarn;

namespace {

const char kStatusStyle[] =
    "padding-left:20px;\npadding-right:20px;\nfont-size:13px;\npadding-bottom:10px;\npadding-top:8px;\n";
constexpr int kStatusAir = 6;  // below the status text's bottom padding
constexpr int kTallestStatus = 10000;

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
    fitStatusHeight();
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

    // Fitted to what shows: a message kept back by an error text is not.
    fitStatusHeight();
}

void MsgProgressUi::setStatus(const QString& colour, const QString& message)
{
    ui->lbInfo->setStyleSheet(QLatin1String(kStatusStyle) + QStringLiteral("color:") + colour + QLatin1Char(';'));
    ui->lbInfo->setText(message);
}

void MsgProgressUi::fitStatusHeight()
{
    // The height Qt's word wrap gives the text at the width it is painted
    // in (the box's less the padding: the layout has no side margins), so
    // that no line of any language is cut.
    QLabel* label = ui->lbInfo;
    label->ensurePolished();
    const QMargins padding = label->contentsMargins();
    const QRect room(0, 0, width() - padding.left() - padding.right(), kTallestStatus);
    const int textHeight = label->fontMetrics().boundingRect(room, Qt::TextWordWrap, label->text()).height();
    label->setFixedHeight(textHeight + padding.top() + padding.bottom() + kStatusAir);
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
