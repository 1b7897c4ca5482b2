#include "uicomm/LinkOpener.h"

#include "uicomm/MsgInfoUi.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>

bool LinkOpener::desktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool LinkOpener::open(const QUrl& url, QWidget* parent, const Opener& opener)
{
    if (opener ? opener(url) : desktop(url))
        return true;
    qWarning() << "No program opened" << url;
    const QString address = url.isLocalFile() ? url.toLocalFile() : url.toString();
    auto* box = new MsgInfoUi(QCoreApplication::translate("LinkOpener", "Tips"), QString(), parent);
    // Selectable, so that the address can be copied; shown as it is, not as a link.
    box->setLinkText(
        (QCoreApplication::translate("LinkOpener", "It cannot be opened here. Please open it yourself:")
         + QLatin1Char('\n') + address)
            .toHtmlEscaped()
            .replace(QLatin1Char('\n'), QLatin1String("<br>")));
    box->setObjectName(QStringLiteral("linkNotOpened"));
    box->open();
    return false;
}
