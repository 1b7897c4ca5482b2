#include "uicomm/PopupPage.h"

#include "uicomm/OWidget.h"
#include "uicomm/UicommResources.h"

#include <QCoreApplication>
#include <QHoverEvent>
#include <QIcon>
#include <QPushButton>

namespace {

constexpr int kRowPitch = PopupPage::kRowHeight + 1;
// The band next to the opening row where leaving keeps the page open.
constexpr int kBandDepth = 60;
constexpr int kBandInset = 10;

QString pageStyle(bool ticked)
{
    // Pages with ticks leave room for the tick on the left of the text.
    return QStringLiteral(
               "PopupPage { background-color: rgb(70, 70, 70); font-size: 15px; }"
               "QPushButton { background-color: rgb(30, 30, 30); color: #FFFFFF; border: none;"
               " font-size: 15px; text-align: left; padding-left: %1px; padding-right: 20px; }"
               "QPushButton:hover, QPushButton:pressed { background-color: #000000; }"
               "QPushButton:pressed { padding-left: %2px; padding-top: 2px; }"
               "QPushButton:disabled { color: #666666; }")
        .arg(ticked ? 40 : 20)
        .arg(ticked ? 42 : 22);
}

} // namespace

PopupPage::PopupPage(const char* context, const Row* rows, int count, Texts texts, Tick tick,
                     QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , rows_(rows)
    , texts_(texts)
{
    initUicommResources();
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(pageStyle(tick == WithTick));
    for (int i = 0; i < count; ++i) {
        auto* row = new QWidget(this);
        row->setObjectName(QLatin1String(rows[i].widget));
        row->setGeometry(0, i * kRowPitch, kRowWidth, kRowHeight);
        if (tick == WithTick)
            row->setLayoutDirection(Qt::RightToLeft);
        auto* button = new QPushButton(row);
        button->setObjectName(QLatin1String(rows[i].button));
        button->setGeometry(0, 0, kRowWidth, kRowHeight);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(18, 18));
        connect(button, &QPushButton::clicked, this, [this, i] {
            rowChosen(i);
            hide();
        });
        buttons_ << button;
    }
    setFixedSize(kRowWidth, count * kRowPitch - 1);
    retranslateRows();
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_Hover, true);
    installEventFilter(this);
}

void PopupPage::tickRow(int row)
{
    static const QIcon tick(QStringLiteral(":/source/uicomm/icon/icon_tick"));
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setIcon(i == row ? tick : QIcon());
}

void PopupPage::retranslateRows()
{
    for (int i = 0; i < buttons_.size(); ++i) {
        const char* text = rows_[i].text;
        buttons_[i]->setText(texts_ == Translated ? QCoreApplication::translate(context_, text)
                                                  : QString::fromUtf8(text));
    }
}

// The band lies along the page's edge that faces the row: 60 px deep, as
// long as the row less 10 px at each end.
bool PopupPage::keepsOpenOnLeave(const QPoint& pos) const
{
    const QWidget* owner = parentWidget();
    // The row in page coordinates; a page with none counts it left of its top row.
    const QRect row = owner ? QRect(mapFromGlobal(owner->mapToGlobal(QPoint(0, 0))), owner->size())
                            : QRect(-kRowWidth, 0, kRowWidth, kRowHeight);
    const QPoint middle = row.center();
    if (middle.x() < 0 || middle.x() >= width()) {
        const bool nearEdge = middle.x() < 0 ? pos.x() < kBandDepth : pos.x() >= width() - kBandDepth;
        return nearEdge && row.top() + kBandInset < pos.y() && pos.y() <= row.bottom() - kBandInset;
    }
    const bool nearEdge = middle.y() < 0 ? pos.y() < kBandDepth : pos.y() >= height() - kBandDepth;
    return nearEdge && row.left() + kBandInset < pos.x() && pos.x() <= row.right() - kBandInset;
}

bool PopupPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::HoverLeave) {
        const QPoint last = static_cast<QHoverEvent*>(event)->oldPosF().toPoint();
        if (!keepsOpenOnLeave(last))
            hide();
    }
    return QWidget::eventFilter(watched, event);
}

void PopupPage::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    OWidget::applyRoundedMask(this);
}
