#pragma once

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;

// The widgets of the system setting page: eleven fixed-height rows in a
// scroll area, built and translated like a generated form (the page's slots
// connect by object name).
class SystemSettingForm
{
public:
    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);

    QScrollArea* scrollArea = nullptr;
    QWidget* scrollAreaWidgetContents = nullptr;
    QVBoxLayout* verticalLayout = nullptr;

    QWidget* wSoftwareVersion = nullptr;
    QLabel* lbSoftwareVersion = nullptr;
    QLabel* lbSoftwareVersionVaule = nullptr;
    QPushButton* pbSoftwareUpgrade = nullptr;

    QWidget* wFirmwareVersion = nullptr;
    QLabel* lbFirmwareVersion = nullptr;
    QPushButton* pbFirmwareVersionHelp = nullptr;
    QLabel* lbFirmwareVersionValue = nullptr;
    QPushButton* pbFirmwareUpgrade = nullptr;

    QWidget* wDevAutoSleep = nullptr;
    QLabel* lbDevAutoSleep = nullptr;
    QPushButton* pbDevAutoSleep = nullptr;
    QLabel* lbDevAutoSleepInfo = nullptr;
    QFrame* line = nullptr;
    QLabel* lbDevAutoSleepInfo2 = nullptr;
    QComboBox* cbDevAutoSleep = nullptr;

    QWidget* wCameraSettings = nullptr;
    QPushButton* pbCameraSettings = nullptr;

    QWidget* wButtonAdapt = nullptr;
    QLabel* lbButtonAdapt = nullptr;
    QPushButton* pbButtonAdaptHelp = nullptr;
    QLabel* lbCurrButtonAdapt = nullptr;
    QPushButton* pbButtonAdapt = nullptr;

    QWidget* wNoiseCancellation = nullptr;
    QLabel* lbNoiseCancellation = nullptr;
    QPushButton* pbNoiseCancellation = nullptr;

    QWidget* wVirtualBg = nullptr;
    QLabel* lbVirtualBg = nullptr;
    QLabel* lbVirtualBgBeta = nullptr;
    QPushButton* pbVirtualBg = nullptr;

    QWidget* wGlobalHotkeys = nullptr;
    QLabel* lbGlobalHotkeys = nullptr;
    QPushButton* pbHotkeysHelp = nullptr;
    QPushButton* pbGlobalHotkeys = nullptr;

    QWidget* wRemoteCtrl = nullptr;
    QLabel* lbRemoteCtrl = nullptr;
    QPushButton* pbRemoteCtrlHelp = nullptr;
    QPushButton* pbRemoteCtrl = nullptr;

    QWidget* wLanguage = nullptr;
    QLabel* lbLanguage = nullptr;
    QLabel* lbCurrLanguage = nullptr;
    QPushButton* pbLanguage = nullptr;

    QWidget* wMore = nullptr;
    QLabel* lbForMore = nullptr;
    QPushButton* pbForMore = nullptr;
};
