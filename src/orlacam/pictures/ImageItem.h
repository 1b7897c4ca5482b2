#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QRect>

class QMenu;

// One slot of the replacement background's three pictures: a 64 x 36
// thumbnail button. A click adds (empty slot) or selects; the context menu
// previews and, on a deletable slot, deletes the custom picture.
class ImageItem : public QPushButton
{
    Q_OBJECT
public:
    enum ImageSelectState { Empty = 0, Selected = 1, Filled = 2, Ignored = 3 };
    enum Action { ActionPreview = 0, ActionDelete = 1, ActionSelect = 2, ActionAdd = 3 };

    explicit ImageItem(QWidget* parent);

    void setState(ImageSelectState state);  // values above 3 are ignored
    ImageSelectState state() const { return state_; }
    void setImageMini(const QString& path);
    void setImagePreview(const QString& path);
    void setImageMiniAndSave(const QByteArray& data, const QString& path) { Q_UNUSED(data) Q_UNUSED(path) }
    QString imageMini() const { return miniPath_; }
    QString imagePreview() const { return previewPath_; }
    void setHomeRect(const QRect& rect) { home_ = rect; }
    QRect homeRect() const { return home_; }
    void setDeletable(bool deletable) { deletable_ = deletable; }
    bool isDeletable() const { return deletable_; }
    // While its picture travels to the camera, a slot cannot be deleted.
    void setBusy(bool busy) { busy_ = busy; }
    bool isBusy() const { return busy_; }
    void clearPictures();

signals:
    void imageAction(int action);

public slots:
    void onImageBtnClicked();
    void showMenu(const QPoint& point);
    void actionDelete();
    void actionPreview();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QPixmap thumbnail_;
    ImageSelectState state_ = Empty;
    QString miniPath_;
    QString previewPath_;
    QMenu* menu_ = nullptr;
    QRect home_;
    bool deletable_ = false;
    bool busy_ = false;
};
