#include "orlacam/flows/MaintenanceFlow.h"

#include "download/PkgDownloader.h"
#include "orlacam/flows/DownloadProgress.h"
#include "orlacam/flows/FlowHost.h"
#include "uicomm/OffGuiCall.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"
#include "uvc/UvcDevices.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>

using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;

MaintenanceFlow::MaintenanceFlow(FlowHost* host, const QString& sn)
    : QObject(host ? host->flowWindow() : nullptr)
    , window_(host ? host->flowWindow() : nullptr)
    , host_(host)
    , sn_(sn)
    , timing_(host ? host->timing() : WindowTiming::defaults())
{
}

MaintenanceFlow::~MaintenanceFlow()
{
    for (const QPointer<QWidget>& box : qAsConst(boxes_))
        delete box.data();
}

QSharedPointer<UvcDevice> MaintenanceFlow::device() const
{
    QSharedPointer<UvcDevice> dev = sn_.isEmpty() ? nullptr : UvcDevices::get().getDevBySn(sn_);
    if (!dev)
        qInfo() << "Camera" << sn_ << "has gone";
    return dev;
}

void MaintenanceFlow::callCamera(std::function<int(UvcDevice&)> call, std::function<void(int)> done)
{
    const QString sn = sn_;
    runOffGui<int>(
        this,
        [sn, call] {
            const QSharedPointer<UvcDevice> dev = sn.isEmpty() ? nullptr : UvcDevices::get().getDevBySn(sn);
            return dev ? call(*dev) : -1;
        },
        [this, done](int result) {
            if (!ended_)
                done(result);
        });
}

QWidget* MaintenanceFlow::window() const
{
    return window_ && window_->isVisible() ? window_.data() : nullptr;
}

void MaintenanceFlow::finish()
{
    if (ended_)
        return;
    ended_ = true;
    emit finished();
    deleteLater();
}

MsgInfoUi* MaintenanceFlow::newBox(const QString& title, const QString& body)
{
    auto* box = new MsgInfoUi(title, body, window_);
    if (window_)
        box->linkOpener = host_->linkOpener();
    boxes_ << box;
    return box;
}

void MaintenanceFlow::ask(MsgInfoUi* box, std::function<void(int)> next)
{
    auto link = std::make_shared<QMetaObject::Connection>();
    *link = connect(box, &MsgInfoUi::answered, this, [this, box, link, next](int answer) {
        disconnect(*link);
        if (!box->keepOpen || !box->isVisible())
            box->deleteLater();
        if (!window()) {
            finish();
            return;
        }
        next(answer);
    });
    box->ask();
}

void MaintenanceFlow::tellAndFinish(const QString& title, const QString& body)
{
    ask(newBox(title, body), [this](int) { finish(); });
}

void MaintenanceFlow::downloadPackage(const QJsonObject& query, const QString& dir, const QString& title,
                                      std::function<void(const QString&)> done)
{
    FlowHost* win = host();
    vesk::pc::PkgDownloader& downloader = win->downloader();
    if (downloader.isRunning()) {
        qWarning() << "A download is still running";
        finish();
        return;
    }
    downloader.query = query;
    downloader.downloadDir = dir;
    // Told before the notice that ends the run, so before the box's answer.
    auto stored = std::make_shared<QString>();
    auto storedLink = std::make_shared<QMetaObject::Connection>();
    *storedLink = connect(&downloader, &vesk::pc::PkgDownloader::packageStored, this,
                          [stored](const QString& path) { *stored = path; });
    downloader.start();
    DownloadProgress* box = win->downloadBox();
    box->errorLatched = false;
    box->setTitle(title);
    auto link = std::make_shared<QMetaObject::Connection>();
    *link = connect(box, &MsgProgressUi::answered, this, [this, link, storedLink, stored, done](int answer) {
        disconnect(*link);
        disconnect(*storedLink);
        QWidget* shown = window();
        if (answer == QMessageBox::Yes && shown) {
            done(*stored);
            return;
        }
        // Failed, timed out or closed: the download stops on its own soon.
        if (owner())
            owner()->downloader().requestStop();
        finish();
    });
    box->open();
}

void MaintenanceFlow::runToEnd(MsgProgressUi* box)
{
    connect(box, &MsgProgressUi::answered, this, [this, box] {
        box->deleteLater();
        finish();
    });
    box->open();
}

void MaintenanceFlow::askTips(bool logExport, std::function<void()> onYes)
{
    MsgInfoUi* box = newBox(text(QT_TRANSLATE_NOOP("MainUserUi", "Tips")), tipsText(logExport));
    box->setButtonText(QMessageBox::Yes, text(QT_TRANSLATE_NOOP("MainUserUi", "Yes")));
    confirm(box, onYes);
}

void MaintenanceFlow::confirm(MsgInfoUi* box, std::function<void()> onYes)
{
    box->addButton(QMessageBox::Yes | QMessageBox::No);
    ask(box, [this, onYes](int answer) {
        if (answer != QMessageBox::Yes) {
            qInfo() << "Upgrade canceled";
            finish();
            return;
        }
        onYes();
    });
}

void MaintenanceFlow::chooseFile(const QString& title, const QString& folder, const QString& name, bool folders,
                                 std::function<void(const QString&)> chosen)
{
    auto* dialog = new QFileDialog(window(), title, folder, folders ? QString() : QStringLiteral("*.bin"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (folders) {
        dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->setOption(QFileDialog::DontResolveSymlinks);
    }
    dialog->setFileMode(folders ? QFileDialog::Directory : QFileDialog::ExistingFile);
    dialog->setObjectName(name);
    adopt(dialog);
    connect(dialog, &QFileDialog::fileSelected, this, [chosen](const QString& path) { chosen(path); });
    connect(dialog, &QDialog::rejected, this, [this] { finish(); });
    dialog->open();
}

QString MaintenanceFlow::tipsText(bool logExport)
{
    return logExport ? text(QT_TRANSLATE_NOOP("MainUserUi",
                                              "Please make sure that you close all applications that may use KESTRO "
                                              "Orla or Orla 4K during the log export, such as OBS Studio, Zoom, "
                                              "Skype, and Google Meet, etc."))
                     : text(QT_TRANSLATE_NOOP("MainUserUi",
                                              "Please make sure that you close all applications that may use KESTRO "
                                              "Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, "
                                              "and Google Meet, etc."));
}

QString MaintenanceFlow::text(const char* source)
{
    return QCoreApplication::translate("MainUserUi", source);
}
