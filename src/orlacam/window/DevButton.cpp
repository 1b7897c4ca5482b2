#include "orlacam/window/DevButton.h"

#include <QAction>
#include <QDebug>
#include <QEvent>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMenu>
#include <QTextBoundaryFinder>

#include <cmath>

using vesk::pc::GlobalParams;

namespace {

const char* const kLooks[] = {
    "QPushButton { color: rgb(124, 124, 124); border: 2px solid rgb(50, 50, 50);"
    " background-color: rgb(50, 50, 50); border-radius: 30px; }",
    "QPushButton { color: white; border: 2px solid rgb(230, 0, 51);"
    " background-color: rgb(221, 34, 34); border-radius: 30px; }",
    "QPushButton { color: white; border: 2px solid gray;"
    " background-color: rgb(20, 20, 20); border-radius: 30px; }",
};
// Selected, its camera away: the no-camera grey inside the selected border.
const char* const kAwayLook =
    "QPushButton { color: rgb(124, 124, 124); border: 2px solid rgb(230, 0, 51);"
    " background-color: rgb(50, 50, 50); border-radius: 30px; }";

constexpr int kMaxNameWidthPx = 40;
constexpr int kMinCutBytes = 5;
constexpr int kBorderPx = 2;  // of every look

// The width a line of text centred in the button has inside its border's
// circle, where the circle is narrowest: at the line's top and bottom.
int innerCircleRoom(const QFontMetrics& metrics)
{
    const double radius = DevButton::kSize / 2.0 - kBorderPx;
    const double half = metrics.height() / 2.0;
    return half < radius ? int(2 * std::sqrt(radius * radius - half * half)) : 0;
}

QRect& firstRect()
{
    static QRect rect(18, 56, DevButton::kSize, DevButton::kSize);
    return rect;
}

} // namespace

DevButton::DevButton(int index, QWidget* parent)
    : QPushButton(parent)
    , index_(index)
    , menu_(new QMenu(this))
    , renameAction_(new QAction(tr("Rename"), menu_))
{
    setFixedSize(kSize, kSize);
    setText(QString::number(index + 1));
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setBtnStyle(NoDevice);
    renameAction_->setObjectName(QStringLiteral("ActionRename"));
    menu_->setStyleSheet(QStringLiteral("font-size: 15px;"));
    menu_->addAction(renameAction_);
    connect(renameAction_, &QAction::triggered, this, &DevButton::actionRename);
    connect(this, &QPushButton::clicked, this, &DevButton::onDevBtnClicked);
    connect(this, &QWidget::customContextMenuRequested, this, &DevButton::showMenu);
    refreshGeometry();
}

void DevButton::setBtnStyle(int style)
{
    if (style < NoDevice || style > Normal)
        return;
    style_ = style;
    applyLook();
}

void DevButton::setAway(bool away)
{
    away_ = away;
    setEnabled(!away);
    applyLook();
}

void DevButton::applyLook()
{
    if (away_)
        setStyleSheet(QLatin1String(style_ == Selected ? kAwayLook : kLooks[NoDevice]));
    else
        setStyleSheet(QLatin1String(kLooks[style_]));
}

void DevButton::modifyIndex(int index)
{
    index_ = index;
    refreshGeometry();
}

void DevButton::refreshGeometry()
{
    setGeometry(firstRect().translated(kPitch * index_, 0));
}

void DevButton::setFirstGeometry(const QRect& rect)
{
    firstRect() = rect;
}

QRect DevButton::firstGeometry()
{
    return firstRect();
}

void DevButton::onDevBtnClicked()
{
    setBtnStyle(hasDevice_ ? Selected : NoDevice);
    if (!selected_)
        emit devBtnSelected(this);
}

void DevButton::showMenu(const QPoint& pos)
{
    menu_->popup(mapToGlobal(pos));
}

// Cut a whole character at a time (a surrogate pair or an accent with its
// letter is one). A blank the cut leaves at the end stays while the user
// types: dropping it would let the next letter fit where the blank was.
// Short names of wide letters ("WWWW") are cut too where they would run
// past the button's inner circle.
QString DevButton::fitName(const QString& text, const QFontMetrics& metrics)
{
    QString name = text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    characters.toEnd();
    const int room = innerCircleRoom(metrics);
    const auto tooWide = [&](const QString& shown) {
        const int width = metrics.horizontalAdvance(shown);
        return width > room || (width > kMaxNameWidthPx && shown.toLocal8Bit().size() >= kMinCutBytes);
    };
    while (tooWide(name)) {
        const int end = characters.toPreviousBoundary();
        if (end < 0)
            break;
        name.truncate(end);
    }
    return name;
}

void DevButton::actionRename()
{
    // Application-modal as before; the answer comes by signal, and goes
    // nowhere once the button has gone with its camera.
    auto* dialog = new QInputDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setStyleSheet(QStringLiteral("color: rgb(200, 200, 200);background-color: rgb(20, 20, 20);"));
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    dialog->setTextValue(info_.dev_name);
    dialog->setWindowTitle(tr("Rename"));
    dialog->setLabelText(tr("Please input name"));
    dialog->setWindowIcon(QIcon(QStringLiteral(":/source/uicomm/icon/orlacam.png")));
    dialog->setOkButtonText(tr("OK"));
    dialog->setCancelButtonText(tr("Cancel"));
    const QFontMetrics metrics(font());
    connect(dialog, &QInputDialog::textValueChanged, dialog, [dialog, metrics](const QString& text) {
        const QString fitted = fitName(text, metrics);
        if (fitted != text)
            dialog->setTextValue(fitted);
    });
    connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString& name) { applyRename(name); });
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}

bool DevButton::applyRename(const QString& typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return false;
    info_.dev_name = name;
    setText(name);
    GlobalParams::get().setDevName(name, info_.dev_sn);
    qDebug() << "Camera" << info_.dev_sn << "renamed to" << name;
    emit devBtnNameChanged(this);
    return true;
}

void DevButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        renameAction_->setText(tr("Rename"));
    QPushButton::changeEvent(event);
}
