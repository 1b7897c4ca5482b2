#include "uicomm/HotKeyList.h"

#include "comm/GlobalParams.h"
#include "uicomm/ThinScrollBar.h"
#include "uicomm/UicommResources.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct Hotkey
{
    const char* keys;  // this platform's names: Ctrl for Command, Alt for Option
    const char* description;
};

const Hotkey kHotkeys[HotKeyList::kRowCount] = {
    {"Ctrl+Shift+Z", QT_TRANSLATE_NOOP("HotKeyList", "Global/Local shortcut switch")},
    {"Alt+1", QT_TRANSLATE_NOOP("HotKeyList", "Device 1")},
    {"Alt+2", QT_TRANSLATE_NOOP("HotKeyList", "Device 2")},
    {"Alt+3", QT_TRANSLATE_NOOP("HotKeyList", "Device 3")},
    {"Alt+4", QT_TRANSLATE_NOOP("HotKeyList", "Device 4")},
    {"Alt+R", QT_TRANSLATE_NOOP("HotKeyList", "Direction reset")},
    {"Alt+I", QT_TRANSLATE_NOOP("HotKeyList", "Zoom in")},
    {"Alt+O", QT_TRANSLATE_NOOP("HotKeyList", "Zoom out")},
    {"Alt+J", QT_TRANSLATE_NOOP("HotKeyList", "Zoom max")},
    {"Alt+K", QT_TRANSLATE_NOOP("HotKeyList", "Zoom min")},
    {"Alt+UP", QT_TRANSLATE_NOOP("HotKeyList", "View move up")},
    {"Alt+DOWN", QT_TRANSLATE_NOOP("HotKeyList", "View move down")},
    {"Alt+LEFT", QT_TRANSLATE_NOOP("HotKeyList", "View move left")},
    {"Alt+RIGHT", QT_TRANSLATE_NOOP("HotKeyList", "View move right")},
    {"Alt+T", QT_TRANSLATE_NOOP("HotKeyList", "Device Sleep/Resume")},
    {"Alt+D", QT_TRANSLATE_NOOP("HotKeyList", "View 65°")},
    {"Alt+F", QT_TRANSLATE_NOOP("HotKeyList", "View 78°")},
    {"Alt+G", QT_TRANSLATE_NOOP("HotKeyList", "View 86°")},
    {"Alt+B", QT_TRANSLATE_NOOP("HotKeyList", "Virtual background: blur")},
    {"Alt+V", QT_TRANSLATE_NOOP("HotKeyList", "Virtual background: green screen")},
    {"Alt+C", QT_TRANSLATE_NOOP("HotKeyList", "Virtual background: replacement")},
    {"Alt+N", QT_TRANSLATE_NOOP("HotKeyList", "Auto framing: single mode")},
    {"Alt+M", QT_TRANSLATE_NOOP("HotKeyList", "Auto framing: group mode")},
    {"Alt+Z", QT_TRANSLATE_NOOP("HotKeyList", "Standard mode")},
};

struct LanguageWidth
{
    int languageType;
    int width;
};

// Wide enough for each language's longest description on one line or two.
const LanguageWidth kWidths[] = {{3, 580}, {0, 550}, {4, 610}, {5, 610}};
constexpr int kOtherWidth = 440;
constexpr int kHeight = 820;

int widthFor(int languageType)
{
    for (const LanguageWidth& entry : kWidths) {
        if (entry.languageType == languageType)
            return entry.width;
    }
    return kOtherWidth;
}

QFont pixelFont(const QFont& base, int pixels)
{
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

} // namespace

HotKeyList::HotKeyList(QWidget* parent)
    : QWidget(parent)
{
    initUicommResources();
    setObjectName(QStringLiteral("HotKeyList"));
    setMinimumSize(500, 800);
    setMaximumSize(1000, 1000);
    setWindowIcon(QIcon(QStringLiteral(":/source/orlacam/icon/orla_icon.ico")));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("#HotKeyList, QTableWidget { background-color: rgb(30, 30, 30); color: #FFFFFF; }"
                                 "QLabel { color: #FFFFFF; }"
                                 "QTableWidget { border: none; }")
                  + QLatin1String(kThinScrollBarStyle));

    lbHotkeyTitle = new QLabel(this);
    lbHotkeyTitle->setObjectName(QStringLiteral("lbHotkeyTitle"));
    lbHotkeyTitle->setAlignment(Qt::AlignCenter);
    tbHotkeyList = new QTableWidget(kRowCount, 3, this);
    tbHotkeyList->setObjectName(QStringLiteral("tbHotkeyList"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(50, 20, 50, 20);
    layout->setSpacing(20);
    layout->addWidget(lbHotkeyTitle);
    layout->addWidget(tbHotkeyList);

    tbHotkeyList->horizontalHeader()->hide();
    tbHotkeyList->verticalHeader()->hide();
    tbHotkeyList->setShowGrid(false);
    tbHotkeyList->setWordWrap(true);
    tbHotkeyList->setFocusPolicy(Qt::NoFocus);
    tbHotkeyList->setAutoScroll(false);
    tbHotkeyList->setSelectionMode(QAbstractItemView::NoSelection);
    tbHotkeyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbHotkeyList->setColumnWidth(0, 135);
    tbHotkeyList->setColumnWidth(1, 50);
    tbHotkeyList->horizontalHeader()->setStretchLastSection(true);
    tbHotkeyList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < kRowCount; ++row) {
        tbHotkeyList->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(kHotkeys[row].keys)));
        tbHotkeyList->setItem(row, 1, new QTableWidgetItem(QStringLiteral("---")));
        tbHotkeyList->setItem(row, 2, new QTableWidgetItem);
    }

    setWindowFlags(windowFlags() | Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    lbHotkeyTitle->setFont(pixelFont(lbHotkeyTitle->font(), 24));
    tbHotkeyList->setFont(pixelFont(tbHotkeyList->font(), 15));
    setFixedHeight(kHeight);
    retranslate();
    // Built after the start-up translator, the list gets no language change
    // until the user picks another language.
    fitLanguage();
}

HotKeyList::~HotKeyList() = default;

void HotKeyList::retranslate()
{
    setWindowTitle(tr("Hotkeys List"));
    lbHotkeyTitle->setText(tr("Hotkeys List"));
    for (int row = 0; row < kRowCount; ++row)
        tbHotkeyList->item(row, 2)->setText(QCoreApplication::translate("HotKeyList", kHotkeys[row].description));
}

// Every row as high as the highest, so none is collapsed or cut when a
// description wraps.
void HotKeyList::evenRowHeights()
{
    constexpr int kCellPadding = 8;
    const QFontMetrics metrics(tbHotkeyList->font());
    // The description column takes what the window leaves (the scroll bar is 6 px).
    const QMargins margins = layout()->contentsMargins();
    const int width = this->width() - margins.left() - margins.right() - tbHotkeyList->columnWidth(0)
                      - tbHotkeyList->columnWidth(1) - 6;
    const QRect column(0, 0, width - kCellPadding, 10000);
    int height = metrics.height();
    for (int row = 0; row < kRowCount; ++row) {
        const QString text = tbHotkeyList->item(row, 2)->text();
        height = qMax(height, metrics.boundingRect(column, Qt::TextWordWrap, text).height());
    }
    for (int row = 0; row < kRowCount; ++row)
        tbHotkeyList->setRowHeight(row, height + 2 * kCellPadding);
}

void HotKeyList::fitLanguage()
{
    setFixedWidth(widthFor(vesk::pc::GlobalParams::get().language_type));
    evenRowHeights();
}

void HotKeyList::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        fitLanguage();
    }
    QWidget::changeEvent(event);
}

// Closing only hides the list, as its help button does.
void HotKeyList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

