#include "orlacam/settings/SystemSettingForm.h"

#include "uicomm/ThinScrollBar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kRowWidth = 360;
constexpr int kRowHeight = 49;
constexpr int kTextTop = 13;
constexpr int kTextHeight = 22;

const char* const kPageStyle = "background-color: rgb(70, 70, 70);\nfont-size: 15px;";
const char* const kRowStyle =
    "#%1 { background-color: rgb(30, 30, 30); } #%1:hover { background-color: #000000; }"
    "QLabel { background: transparent; color: #FFFFFF; }"
    "QPushButton { background: transparent; border: none; color: #FFFFFF; }";
const char* const kValueStyle = "background: transparent; color: rgb(124, 124, 124); font-size: 13px;";
const char* const kBetaStyle = "border: 1px solid #202020; background-color: #303030; color: #6C6C6C;"
                               " border-radius: 8px; font-size: 13px;";

const char* const kTitle = QT_TRANSLATE_NOOP("SystemSettingUi", "System Setting");
// The labels' and buttons' texts, by object name.
struct FormText
{
    const char* widget;
    const char* text;
};
const FormText kTexts[] = {
    {"lbSoftwareVersion", QT_TRANSLATE_NOOP("SystemSettingUi", "Software Version")},
    {"pbSoftwareUpgrade", QT_TRANSLATE_NOOP("SystemSettingUi", "Update")},
    {"lbFirmwareVersion", QT_TRANSLATE_NOOP("SystemSettingUi", "Firmware Version")},
    {"pbFirmwareUpgrade", QT_TRANSLATE_NOOP("SystemSettingUi", "Update")},
    {"lbDevAutoSleep", QT_TRANSLATE_NOOP("SystemSettingUi", "Device Auto Sleep")},
    {"lbDevAutoSleepInfo", QT_TRANSLATE_NOOP("SystemSettingUi", "When the system detects that the device is not in "
                                                                "the streaming state, it will enter the sleep mode "
                                                                "immediately.")},
    {"lbDevAutoSleepInfo2", QT_TRANSLATE_NOOP("SystemSettingUi", "When the KESTRO OrlaCam software is not in use, "
                                                                 "it will enter the sleep mode after the following "
                                                                 "time.")},
    {"pbCameraSettings", QT_TRANSLATE_NOOP("SystemSettingUi", "Camera Setting")},
    {"lbButtonAdapt", QT_TRANSLATE_NOOP("SystemSettingUi", "Button Configuration")},
    {"lbCurrButtonAdapt", QT_TRANSLATE_NOOP("SystemSettingUi", "Default")},
    {"lbNoiseCancellation", QT_TRANSLATE_NOOP("SystemSettingUi", "Noise Reduction")},
    {"lbVirtualBg", QT_TRANSLATE_NOOP("SystemSettingUi", "Virtual Background")},
    {"lbGlobalHotkeys", QT_TRANSLATE_NOOP("SystemSettingUi", "Global Hotkeys")},
    {"lbRemoteCtrl", QT_TRANSLATE_NOOP("SystemSettingUi", "Remote Controller")},
    {"lbLanguage", QT_TRANSLATE_NOOP("SystemSettingUi", "Language")},
    {"lbCurrLanguage", QT_TRANSLATE_NOOP("SystemSettingUi", "English")},
    {"lbForMore", QT_TRANSLATE_NOOP("SystemSettingUi", "More")},
};
const char* const kSleepItems[] = {QT_TRANSLATE_NOOP("SystemSettingUi", "30 s"),
                                   QT_TRANSLATE_NOOP("SystemSettingUi", "2 min"),
                                   QT_TRANSLATE_NOOP("SystemSettingUi", "10 min")};

QWidget* addRow(QVBoxLayout* layout, QWidget* parent, const char* name, int height)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QLatin1String(name));
    row->setAttribute(Qt::WA_StyledBackground, true);
    row->setStyleSheet(QString::fromLatin1(kRowStyle).arg(QLatin1String(name)));
    row->setFixedSize(kRowWidth, height);
    layout->addWidget(row);
    return row;
}

QLabel* addLabel(QWidget* row, const char* name, const QRect& geometry, const char* style = nullptr)
{
    auto* label = new QLabel(row);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    if (style)
        label->setStyleSheet(QLatin1String(style));
    return label;
}

QPushButton* addButton(QWidget* row, const char* name, const QRect& geometry, const char* icon = nullptr)
{
    auto* button = new QPushButton(row);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    if (icon) {
        button->setIcon(QIcon(QLatin1String(icon)));
        button->setIconSize(geometry.size());
    }
    return button;
}

// Switches sit at the right end of their row; help buttons follow their
// title's text, which the page measures once it is known.
QPushButton* addSwitch(QWidget* row, const char* name)
{
    QPushButton* button = addButton(row, name, QRect(290, 14, 50, 20), ":/source/orlacam/icon/btn_off_n@3x");
    button->setIconSize(QSize(40, 20));
    return button;
}

QPushButton* addHelp(QWidget* row, const char* name)
{
    return addButton(row, name, QRect(0, 14, 20, 20), ":/source/orlacam/icon/question.png");
}

QPushButton* addArrow(QWidget* row, const char* name)
{
    return addButton(row, name, QRect(310, 9, 30, 30), ":/source/orlacam/icon/select_right_on");
}

QRect titleRect(int width = 250)
{
    return QRect(20, kTextTop, width, kTextHeight);
}

} // namespace

void SystemSettingForm::setupUi(QWidget* page)
{
    page->setObjectName(QStringLiteral("SystemSettingUi"));
    page->resize(360, 600);
    page->setMinimumSize(360, 600);
    page->setMaximumSize(360, 736);
    page->setStyleSheet(QLatin1String(kPageStyle));
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    scrollArea = new QScrollArea(page);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setMinimumSize(360, 600);
    scrollArea->setWidgetResizable(true);
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setFocusPolicy(Qt::NoFocus);
    scrollArea->verticalScrollBar()->setStyleSheet(QLatin1String(kThinScrollBarStyle));
    pageLayout->addWidget(scrollArea);
    scrollAreaWidgetContents = new QWidget;
    scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    scrollAreaWidgetContents->setMaximumSize(360, 736);
    verticalLayout = new QVBoxLayout(scrollAreaWidgetContents);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(1);
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    QWidget* const contents = scrollAreaWidgetContents;

    wSoftwareVersion = addRow(verticalLayout, contents, "wSoftwareVersion", kRowHeight);
    lbSoftwareVersion = addLabel(wSoftwareVersion, "lbSoftwareVersion", QRect(20, 4, 185, 22));
    lbSoftwareVersionVaule = addLabel(wSoftwareVersion, "lbSoftwareVersionVaule", QRect(20, 26, 185, 18), kValueStyle);
    lbSoftwareVersionVaule->setText(QStringLiteral("0.0.0.0"));
    pbSoftwareUpgrade = addButton(wSoftwareVersion, "pbSoftwareUpgrade", QRect(260, 12, 80, 25));

    wFirmwareVersion = addRow(verticalLayout, contents, "wFirmwareVersion", kRowHeight);
    lbFirmwareVersion = addLabel(wFirmwareVersion, "lbFirmwareVersion", QRect(20, 4, 160, 22));
    pbFirmwareVersionHelp = addHelp(wFirmwareVersion, "pbFirmwareVersionHelp");
    lbFirmwareVersionValue = addLabel(wFirmwareVersion, "lbFirmwareVersionValue", QRect(20, 26, 185, 18), kValueStyle);
    lbFirmwareVersionValue->setText(QStringLiteral("0.0.0.0"));
    pbFirmwareUpgrade = addButton(wFirmwareVersion, "pbFirmwareUpgrade", QRect(260, 12, 80, 25));
    pbFirmwareUpgrade->setMinimumWidth(80);
    pbFirmwareUpgrade->setMaximumWidth(160);

    wDevAutoSleep = addRow(verticalLayout, contents, "wDevAutoSleep", 235);
    lbDevAutoSleep = addLabel(wDevAutoSleep, "lbDevAutoSleep", titleRect(262));
    pbDevAutoSleep = addSwitch(wDevAutoSleep, "pbDevAutoSleep");
    lbDevAutoSleepInfo = addLabel(wDevAutoSleep, "lbDevAutoSleepInfo", QRect(20, 44, 320, 84));
    lbDevAutoSleepInfo->setWordWrap(true);
    lbDevAutoSleepInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    line = new QFrame(wDevAutoSleep);
    line->setObjectName(QStringLiteral("line"));
    line->setGeometry(20, 131, 320, 1);
    line->setStyleSheet(QStringLiteral("background-color: rgba(50, 50, 50, 1);"));
    lbDevAutoSleepInfo2 = addLabel(wDevAutoSleep, "lbDevAutoSleepInfo2", QRect(20, 135, 320, 62));
    lbDevAutoSleepInfo2->setWordWrap(true);
    lbDevAutoSleepInfo2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cbDevAutoSleep = new QComboBox(wDevAutoSleep);
    cbDevAutoSleep->setObjectName(QStringLiteral("cbDevAutoSleep"));
    cbDevAutoSleep->setGeometry(20, 202, 120, 24);
    cbDevAutoSleep->setFocusPolicy(Qt::NoFocus);
    cbDevAutoSleep->addItems({QString(), QString(), QString()});

    wCameraSettings = addRow(verticalLayout, contents, "wCameraSettings", kRowHeight);
    pbCameraSettings = addButton(wCameraSettings, "pbCameraSettings", QRect(0, 0, kRowWidth, kRowHeight));

    wButtonAdapt = addRow(verticalLayout, contents, "wButtonAdapt", kRowHeight);
    lbButtonAdapt = addLabel(wButtonAdapt, "lbButtonAdapt", titleRect(160));
    pbButtonAdaptHelp = addHelp(wButtonAdapt, "pbButtonAdaptHelp");
    lbCurrButtonAdapt = addLabel(wButtonAdapt, "lbCurrButtonAdapt", QRect(200, kTextTop, 105, kTextHeight));
    lbCurrButtonAdapt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pbButtonAdapt = addArrow(wButtonAdapt, "pbButtonAdapt");

    wNoiseCancellation = addRow(verticalLayout, contents, "wNoiseCancellation", kRowHeight);
    lbNoiseCancellation = addLabel(wNoiseCancellation, "lbNoiseCancellation", titleRect(262));
    pbNoiseCancellation = addSwitch(wNoiseCancellation, "pbNoiseCancellation");

    wVirtualBg = addRow(verticalLayout, contents, "wVirtualBg", kRowHeight);
    lbVirtualBg = addLabel(wVirtualBg, "lbVirtualBg", titleRect(180));
    lbVirtualBgBeta = addLabel(wVirtualBg, "lbVirtualBgBeta", QRect(0, 12, 48, 24), kBetaStyle);
    lbVirtualBgBeta->setAlignment(Qt::AlignCenter);
    lbVirtualBgBeta->setText(QStringLiteral("beta"));
    pbVirtualBg = addSwitch(wVirtualBg, "pbVirtualBg");

    wGlobalHotkeys = addRow(verticalLayout, contents, "wGlobalHotkeys", kRowHeight);
    lbGlobalHotkeys = addLabel(wGlobalHotkeys, "lbGlobalHotkeys", titleRect(200));
    pbHotkeysHelp = addHelp(wGlobalHotkeys, "pbHotkeysHelp");
    pbGlobalHotkeys = addSwitch(wGlobalHotkeys, "pbGlobalHotkeys");

    wRemoteCtrl = addRow(verticalLayout, contents, "wRemoteCtrl", kRowHeight);
    lbRemoteCtrl = addLabel(wRemoteCtrl, "lbRemoteCtrl", titleRect(200));
    pbRemoteCtrlHelp = addHelp(wRemoteCtrl, "pbRemoteCtrlHelp");
    pbRemoteCtrl = addSwitch(wRemoteCtrl, "pbRemoteCtrl");

    wLanguage = addRow(verticalLayout, contents, "wLanguage", kRowHeight);
    lbLanguage = addLabel(wLanguage, "lbLanguage", titleRect(150));
    lbCurrLanguage = addLabel(wLanguage, "lbCurrLanguage", QRect(175, kTextTop, 125, kTextHeight));
    lbCurrLanguage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pbLanguage = addArrow(wLanguage, "pbLanguage");

    wMore = addRow(verticalLayout, contents, "wMore", kRowHeight + 1);
    lbForMore = addLabel(wMore, "lbForMore", titleRect(280));
    pbForMore = addArrow(wMore, "pbForMore");

    scrollArea->setWidget(scrollAreaWidgetContents);
    retranslateUi(page);
    QMetaObject::connectSlotsByName(page);
}

void SystemSettingForm::retranslateUi(QWidget* page)
{
    const auto translated = [](const char* text) { return QCoreApplication::translate("SystemSettingUi", text); };
    page->setWindowTitle(translated(kTitle));
    for (const FormText& entry : kTexts)
        page->findChild<QWidget*>(QLatin1String(entry.widget))->setProperty("text", translated(entry.text));
    for (int i = 0; i < 3; ++i)
        cbDevAutoSleep->setItemText(i, translated(kSleepItems[i]));
}
