#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

class DownloadProgress;
class QUrl;
class QWidget;
struct WindowTiming;
namespace vesk {
namespace pc {
class HttpServerHost;
class PkgDownloader;
} // namespace pc
} // namespace vesk

// What a maintenance flow asks of the window that runs it. The flow guards
// the window and asks nothing once it has gone.
class FlowHost
{
public:
    // The window itself: the parent of the flow and of its boxes.
    virtual QWidget* flowWindow() = 0;
    // The window's waits; a flow takes them when it starts.
    virtual const WindowTiming& timing() const = 0;
    // Opens links and a downloaded installer; true when the opener started.
    virtual std::function<bool(const QUrl&)> linkOpener() const = 0;
    // One downloader with its box, and the local firmware server, made on first use.
    virtual vesk::pc::PkgDownloader& downloader() = 0;
    virtual DownloadProgress* downloadBox() = 0;
    virtual vesk::pc::HttpServerHost& serverHost() = 0;
    // The selected camera, and a new read of its state.
    virtual QString currentSn() const = 0;
    virtual void onCurrDevStateRefresh() = 0;
    // The camera to select again when it comes back after a restart.
    virtual void onDevSnMarked(const QString& sn) = 0;
    // The last firmware package the query server named for the selected kind of camera.
    virtual QJsonObject getUgInfo() const = 0;
    // The release notes of a package reply in the current language.
    virtual QString getUgTipsInfo(const QJsonObject& reply) const = 0;

protected:
    ~FlowHost() = default;
};
