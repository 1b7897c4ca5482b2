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
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Camera access</translation>
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
</TS>
