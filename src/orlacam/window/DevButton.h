#pragma once

#include "comm/GlobalParams.h"

#include <QPushButton>
#include <QRect>

class QAction;
class QMenu;

// One round button of the device row: a connected camera, or the
// placeholder "None" when no camera is listed. Button i sits 81 px right of
// button i - 1, starting from the row's first geometry. A camera that a
// flow restarts keeps its button while it is away: greyed, not clickable.
class DevButton : public QPushButton
{
    Q_OBJECT
public:
    enum BtnStyleSheet { NoDevice = 0, Selected = 1, Normal = 2 };
    static constexpr int kPitch = 81;
    static constexpr int kSize = 60;

    DevButton(int index, QWidget* parent);

    void setDevInfo(const vesk::pc::GlobalParams::DevInfo& info) { info_ = info; }
    const vesk::pc::GlobalParams::DevInfo& devInfo() const { return info_; }
    QString sn() const { return info_.dev_sn; }
    QString name() const { return info_.dev_name; }
    void setBtnStyle(int style);  // values above 2 are ignored
    int btnStyle() const { return style_; }
    void modifyIndex(int index);
    int index() const { return index_; }
    void refreshGeometry();
    static void setFirstGeometry(const QRect& rect);
    static QRect firstGeometry();

    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    bool hasDevice() const { return hasDevice_; }
    void setHasDevice(bool has) { hasDevice_ = has; }
    bool isAway() const { return away_; }
    void setAway(bool away);

    // A name as the rename dialog keeps it while the user types: cut from
    // the end, whole characters at a time, while it is wider than 40 px and
    // at least 5 bytes long, or wider than the room inside the button's
    // border. Blanks go only when the name is accepted.
    static QString fitName(const QString& text, const QFontMetrics& metrics);
    // Takes a name the user accepted, without blanks around it; an empty one
    // changes nothing.
    bool applyRename(const QString& typed);

signals:
    void devBtnSelected(DevButton* button);
    void devBtnNameChanged(DevButton* button);

public slots:
    void onDevBtnClicked();
    void showMenu(const QPoint& pos);
    void actionRename();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyLook();

    vesk::pc::GlobalParams::DevInfo info_;
    int index_ = 0;
    int style_ = NoDevice;
    bool selected_ = false;
    bool hasDevice_ = false;
    bool away_ = false;
    QMenu* menu_;
    QAction* renameAction_;
};
