<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
</context>
<context>
    <name>MsgProgressUi</name>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>Downloading firmware</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>Progress info</translation>
    </message>
</context>
<context>
    <name>LinkOpener</name>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>It cannot be opened here. Please open it yourself:</source>
        <translation>It cannot be opened here. Please open it yourself:</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Camera access</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>Settings reset</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>Auto Framing</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Virtual Background</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>Blur</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>Replacement</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>View</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>Green Screen</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Sleep</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>Device Status</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>Blur Level</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>Single Mode</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>Group Mode</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>Close-up</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>Upper Body</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>Turn On</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>Auto framing will be turned off once virtual background is activated.</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>Right click to delete the custom image. The default image cannot be deleted.</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>Please zoom in first before adjusting the direction.</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>Please upgrade to the v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> or higher for new features with your OrlaCam.</translation>
    </message>
    <message>
        <source>Choose Background Image</source>
        <translation>Choose Background Image</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>Image Invalid</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>Please select valid image and try again!</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>Image Save Failed</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>The cropped image could not be saved, please try again!</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>Start Image Upload</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>Uploading image, please wait...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>Upload image successfully!</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>Image upload failed, please try again!</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>No Device Connected</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>Please insert device first and try again!</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>Firmware upgrade info</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>Downloading Firmware</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>The firmware server of this computer cannot start, please try again later!</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>Extracting Log</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>Please wait and keep the device connected!</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>Extract the log file successfully!</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>Extract log failed, please try again later!</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>Extract the log file successfully and device will reboot now!</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Restore Factory Settings</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>Do you want to reset all settings immediately?</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>Device is restoring the factory settings, please waiting...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>Factory reset successfully!</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>Factory reset failed, please try again later!</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>Choose Firmware</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>Firmware Invalid</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>Please select valid firmware package and try again!</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>Software upgrade info</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>New software is available: </translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>Choose Storage Path</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>Downloading Software</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>Camera Setting</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Focus</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>Auto Focus Mode</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>Global</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>Face</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>Manual Focus</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>Auto Exposure Mode</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>Compensation</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>Shutter Speed</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>Anti-Flicker</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>50Hz</source>
        <translation>50Hz</translation>
    </message>
    <message>
        <source>60Hz</source>
        <translation>60Hz</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>White Balance</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Color Temperature</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Sharpness</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>Hue</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Done</translation>
    </message>
</context>
<context>
    <name>DevSleep</name>
    <message>
        <source>Device Sleep</source>
        <translation>Device Sleep</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>Device is sleeping</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>Please input name</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>UvcDevice</name>
    <message>
        <source>Cannot get latest firmware info from server!</source>
        <translation>Cannot get latest firmware info from server!</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>New firmware is available: </translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>Current firmware is up to date!</translation>
    </message>
</context>
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>System Setting</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>Software Version</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>Firmware Version</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>Device Auto Sleep</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 min</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>Camera Setting</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>Button Configuration</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotation</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>Noise Reduction</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Virtual Background</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>Global Hotkeys</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>Remote Controller</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>More</source>
        <translation>More</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>The Virtual Background features are now in beta version and will give further updates to polish the effect.</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>Button Mode Description</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| Default</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| Rotation</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>Click</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>Double Click</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>Long press for 3 seconds</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>Turn on/off auto-framing</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>Turn on/off virtual background  (blur/green screen/replacement)</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>Sleep/Wake up the device</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
</context>
<context>
    <name>ButtonMode</name>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotation</translation>
    </message>
</context>
<context>
    <name>AntiFlicker</name>
    <message>
        <source>Anti-Flicker</source>
        <translation>Anti-Flicker</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
</context>
<context>
    <name>ForMoreUi</name>
    <message>
        <source>More</source>
        <translation>More</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>Export Log</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>Upgrade Manual</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>Firmware Upgrade</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Restore Factory Settings</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>Hotkeys List</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>Global/Local shortcut switch</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>Device 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>Device 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>Device 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>Device 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>Direction reset</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>Zoom max</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>Zoom min</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>View move up</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>View move down</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>View move left</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>View move right</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>Device Sleep/Resume</translation>
    </message>
    <message>
        <source>View 65°</source>
        <translation>View 65°</translation>
    </message>
    <message>
        <source>View 78°</source>
        <translation>View 78°</translation>
    </message>
    <message>
        <source>View 86°</source>
        <translation>View 86°</translation>
    </message>
    <message>
        <source>Virtual background: blur</source>
        <translation>Virtual background: blur</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>Virtual background: green screen</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>Virtual background: replacement</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>Auto framing: single mode</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>Auto framing: group mode</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>Standard mode</translation>
    </message>
</context>
<context>
    <name>UvcPatchUpgrade</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>Warning: Please close any other programs that might use device!</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Upgrade failed, please try again later.</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>The ugprade package is out of date.</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>Upgrade successfully!</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>ImageCrop</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QHotkey</name>
    <message>
        <source>Failed to register %1. Error: %2</source>
        <translation>Failed to register %1. Error: %2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>Failed to unregister %1. Error: %2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>Downloading Firmware</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>Download error!</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB, total %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>Download timeout, please try again later!</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>Start to upgrade. Please do not disconnect!</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>Upgrade successfully!</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Upgrade failed, please try again later.</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>No response from device for a long time, please restart device and try again!</translation>
    </message>
</context>
<context>
    <name>UvcUpgradeProgress</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Upgrade failed, please try again later.</translation>
    </message>
</context>
</TS>
