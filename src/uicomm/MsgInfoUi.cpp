#include "uicomm/MsgInfoUi.h"

#include "ui_MsgInfoUi.h"

#include "uicomm/LinkOpener.h"
#include "uicomm/ScreenPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTextBoundaryFinder>

namespace {

// Links selectable and clickable by mouse.
constexpr Qt::TextInteractionFlags kLinkInteraction =
    Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse;

// Room a widened box leaves at each side of the screen.
constexpr int kScreenEdgePx = 20;

// The widest piece of a text that a word-wrapped label cannot break.
int widestPiece(const QString& text, const QFontMetrics& metrics)
{
    int widest = 0;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    for (int from = 0, to = breaks.toNextBoundary(); to > 0; from = to, to = breaks.toNextBoundary())
        widest = qMax(widest, metrics.horizontalAdvance(text.mid(from, to - from).trimmed()));
    return widest;
}

} // namespace

MsgInfoUi::MsgInfoUi(QWidget* parent) : OWidget(parent)
{
    init(QString(), QString());
}

MsgInfoUi::MsgInfoUi(const QString& title, const QString& text, QWidget* parent)
    : OWidget(parent)
{
    init(title, text);
}

void MsgInfoUi::init(const QString& title, const QString& text)
{
    ui = new Ui::MsgInfoUi;
    ui->setupUi(this);
    formMaxWidth_ = maximumWidth();
    result = -1;

    // Plain text can neither be selected nor tabbed to.
    ui->lbContent->setEnabled(false);
    ui->lbContent->setFocusPolicy(Qt::NoFocus);

    ui->lbTitle->setText(title);
    ui->lbContent->setText(text);
    connect(ui->lbContent, &QLabel::linkActivated, this, [this](const QString& link) {
        LinkOpener::open(QUrl(link), parentWidget() ? parentWidget() : this, linkOpener);
    });

    addButton(QMessageBox::Yes);
    removeButton(QMessageBox::No);

    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);
    keepOpen = false;
}

MsgInfoUi::~MsgInfoUi()
{
    delete ui;
}

void MsgInfoUi::showCentred()
{
    fitSize();
    show();
    centreOnParent();
}

// Fitted to its texts unless keepOpen is set, and in any case never smaller
// than its title and text need: the form's own minimum width keeps the
// layout from widening the box, which then cut both.
void MsgInfoUi::fitSize()
{
    layout()->activate();  // hints of the inner layout follow the new texts
    if (!keepOpen)
        adjustSize();
    const int width = qMin(qMax(this->width(), minimumSizeHint().width()), maximumWidth());
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                     : minimumSizeHint().height();
    const QSize fitted(width, qMin(qMax(height(), needed), maximumHeight()));
    if (fitted == size())
        return;
    resize(fitted);
    if (isVisible())
        centreOnParent();
}

// The width of the screen the box shows on, less a margin at each side.
int MsgInfoUi::screenWidth() const
{
    const QWidget* anchor = parentWidget() ? parentWidget()->window() : this;
    return availableScreenArea(anchor->geometry().center()).width() - 2 * kScreenEdgePx;
}

void MsgInfoUi::reportAnswer()
{
    if (waiting_) {
        waiting_ = false;
        emit answered(result);
    }
}

void MsgInfoUi::ask()
{
    result = -1;
    waiting_ = true;
    showCentred();
}

void MsgInfoUi::open()
{
    setAttribute(Qt::WA_DeleteOnClose);
    showCentred();
}

void MsgInfoUi::setTitle(const QString& title)
{
    ui->lbTitle->setText(title);
}

void MsgInfoUi::hideTitle()
{
    ui->lbTitle->hide();
}

void MsgInfoUi::setText(const QString& text)
{
    ui->lbContent->setTextFormat(Qt::PlainText);
    ui->lbContent->setText(text);
    // The box widens for a piece the label cannot break (a file's name: a
    // path breaks after its slashes only), up to its widest and, for a
    // longer piece, up to the screen's width.
    ui->lbContent->ensurePolished();
    const QMargins margins = ui->textLayout->contentsMargins();
    const int sides = margins.left() + margins.right();
    const int piece = widestPiece(text, ui->lbContent->fontMetrics());
    setMaximumWidth(qMax(formMaxWidth_, qMin(piece + sides, screenWidth())));
    ui->lbContent->setMinimumWidth(qMin(piece, maximumWidth() - sides));
    fitSize();
}

void MsgInfoUi::makeTextSelectable()
{
    ui->lbContent->setEnabled(true);
    ui->lbContent->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void MsgInfoUi::setLinkText(const QString& text)
{
    ui->lbContent->setTextInteractionFlags(kLinkInteraction);
    ui->lbContent->setOpenExternalLinks(false);  // linkActivated opens them
    ui->lbContent->setEnabled(true);
    ui->lbContent->setTextFormat(Qt::RichText);
    ui->lbContent->setText(text);
}

QList<QPushButton*> MsgInfoUi::buttonsOf(QMessageBox::StandardButtons buttons) const
{
    QList<QPushButton*> found;
    if (buttons & QMessageBox::Yes)
        found << ui->pbYes;
    if (buttons & QMessageBox::No)
        found << ui->pbNo;
    return found;
}

void MsgInfoUi::addButton(QMessageBox::StandardButtons buttons)
{
    for (QPushButton* b : buttonsOf(buttons)) {
        b->setEnabled(true);
        b->show();
    }
}

void MsgInfoUi::removeButton(QMessageBox::StandardButtons buttons)
{
    for (QPushButton* b : buttonsOf(buttons)) {
        b->setEnabled(false);
        b->hide();
    }
}

void MsgInfoUi::setButtonState(QMessageBox::StandardButtons buttons, bool enabled)
{
    for (QPushButton* b : buttonsOf(buttons))
        b->setEnabled(enabled);
}

void MsgInfoUi::setButtonText(QMessageBox::StandardButtons buttons, const QString& text)
{
    for (QPushButton* b : buttonsOf(buttons))
        b->setText(text);
}

void MsgInfoUi::on_pbYes_clicked()
{
    result = QMessageBox::Yes;
    if (keepOpen)
        reportAnswer();
    else
        close();
}

void MsgInfoUi::on_pbNo_clicked()
{
    result = QMessageBox::No;
    close();
}

// Neither button can answer: the flow behind the box is still at work.
bool MsgInfoUi::isWait() const
{
    const auto answers = [](const QPushButton* b) { return !b->isHidden() && b->isEnabled(); };
    return !answers(ui->pbYes) && !answers(ui->pbNo);
}

void MsgInfoUi::closeEvent(QCloseEvent* event)
{
    // The window system's close of a wait would end its flow midway.
    if (event->spontaneous() && isWait()) {
        event->ignore();
        return;
    }
    reportAnswer();
    QWidget::closeEvent(event);
}

void MsgInfoUi::keyPressEvent(QKeyEvent* event)
{
    // Escape dismisses the box like a window close: no answer; a wait stays.
    if (event->key() == Qt::Key_Escape) {
        if (!isWait())
            close();
        return;
    }
    OWidget::keyPressEvent(event);
}

void MsgInfoUi::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    OWidget::changeEvent(event);
}
