#include "orlacam/flows/SoftwareUpdateFlow.h"

#include "comm/GlobalParams.h"
#include "download/PkgDownloader.h"
#include "orlacam/flows/FlowHost.h"
#include "uicomm/LinkOpener.h"
#include "uicomm/MsgInfoUi.h"

#include <QDebug>
#include <QDir>

SoftwareUpdateFlow::SoftwareUpdateFlow(FlowHost* host, const QString& version, const QString& notes)
    : MaintenanceFlow(host, QString()), version_(version), notes_(notes)
{
}

void SoftwareUpdateFlow::start()
{
    const QString title = text(QT_TRANSLATE_NOOP("MainUserUi", "Software upgrade info"));
    MsgInfoUi* box = newBox(title, text(QT_TRANSLATE_NOOP("MainUserUi", "New software is available: ")) + version_
                                       + QLatin1Char('!') + QLatin1Char('\n') + notes_);
    confirm(box, [this] { chooseFolder(); });
}

void SoftwareUpdateFlow::chooseFolder()
{
    qInfo() << "Start to download software and upgrade";
    chooseFile(text(QT_TRANSLATE_NOOP("MainUserUi", "Choose Storage Path")),
               QDir::homePath() + QStringLiteral("/Downloads"), QStringLiteral("chooseStoragePath"), true, [this](const QString& folder) { onFolderChosen(folder); });
}

void SoftwareUpdateFlow::onFolderChosen(const QString& folder)
{
    qInfo() << "dir_name =" << folder;
    if (folder.isEmpty() || !window()) {
        finish();
        return;
    }
    downloadPackage(vesk::pc::GlobalParams::get().getPcSoftwareInfo(), folder + QLatin1Char('/'),
                    text(QT_TRANSLATE_NOOP("MainUserUi", "Downloading Software")),
                    [this](const QString& path) { openPackage(path); });
}

void SoftwareUpdateFlow::openPackage(const QString& path)
{
    QWidget* win = window();
    // When nothing starts, the installer's path is shown and the program stays.
    const bool started = LinkOpener::open(QUrl::fromLocalFile(path), win, host()->linkOpener());
    qInfo() << "Start pc software upgrade process:" << path << (started ? "true" : "false");
    finish();
    if (started)
        win->close();
}
