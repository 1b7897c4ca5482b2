#pragma once

#include "uicomm/OWidget.h"

#include <QMessageBox>
#include <QUrl>

#include <functional>

class QPushButton;

namespace Ui {
class MsgInfoUi;
}

// The modal message box: a title, a word-wrapped text and the buttons Yes and
// No. ask() shows it and returns at once; answered then reports
// QMessageBox::Yes (0x4000) or QMessageBox::No (0x10000) for the buttons and
// -1 when the box was closed any other way (Escape, window close, close()).
// A box without an enabled button to answer it is a wait: Escape and the
// window's close do nothing, only the program's own close() ends it.
//
// Typical use: a new box with the window as parent; setTitle/hideTitle,
// setText or setLinkText, addButton(QMessageBox::Yes | QMessageBox::No),
// setButtonText, ask() with the flow going on from answered; or open() for a
// notice. A new box shows only Yes.
class MsgInfoUi : public OWidget
{
    Q_OBJECT

public:
    explicit MsgInfoUi(QWidget* parent = nullptr);
    MsgInfoUi(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~MsgInfoUi() override;

    // Shows the box, centred on the parent, for a notice that needs no
    // answer; the box deletes itself when closed.
    void open();
    // Shows it likewise, keeps it, and reports the answer with answered.
    void ask();

    // Title and text are plain text: they may come from a camera or a server.
    void setTitle(const QString& title);
    void hideTitle();
    // Fits the box to the text unless keepOpen is set. A piece the text
    // cannot break at (a file's name) widens the box up to the screen's width.
    void setText(const QString& text);
    // Lets the user select the plain text and copy it (a path shown in it).
    void makeTextSelectable();
    // Rich text whose links open in the system browser; does not fit the size.
    void setLinkText(const QString& text);
    // Opens the links (the desktop's opener when empty); when it starts
    // nothing, a box shows the address.
    std::function<bool(const QUrl&)> linkOpener;

    // Each takes QMessageBox::Yes, QMessageBox::No or both; other bits are ignored.
    void addButton(QMessageBox::StandardButtons buttons);     // enable and show
    void removeButton(QMessageBox::StandardButtons buttons);  // disable and hide
    void setButtonState(QMessageBox::StandardButtons buttons, bool enabled);
    void setButtonText(QMessageBox::StandardButtons buttons, const QString& text);

    // When set, Yes answers but leaves the box on screen (and the box no
    // longer fits itself to its text: it only grows where a title or text
    // would be cut), so a caller can turn it into a "please wait" notice
    // and ask() again.
    bool keepOpen = false;

signals:
    // The question of ask() ended, also by a Yes that leaves the box shown.
    void answered(int result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_pbYes_clicked();
    void on_pbNo_clicked();

private:
    void init(const QString& title, const QString& text);
    void showCentred();
    void fitSize();
    int screenWidth() const;
    void reportAnswer();
    bool isWait() const;
    QList<QPushButton*> buttonsOf(QMessageBox::StandardButtons buttons) const;

    Ui::MsgInfoUi* ui = nullptr;
    int result = -1;
    int formMaxWidth_ = 0;
    bool waiting_ = false;
};
