<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
</context>
<context>
    <name>MsgProgressUi</name>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>正在下载固件</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>进度信息</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>摄像头访问权限</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam 无法打开位于 %1 的摄像头（权限被拒绝）。请安装 OrlaCam 的 udev 规则：在 OrlaCam 源代码文件夹中运行

%2

然后拔下并重新插入摄像头。</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>自动取景</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>变焦</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>虚拟背景</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>虚化</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>替换</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>View</source>
        <translation>视角</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>绿幕</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>休眠</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>设备状态</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>虚化程度</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>单人模式</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>多人模式</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>特写</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>半身</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>开启自动取景后将关闭虚拟背景，同时视角、变焦和方向调节将不可用！</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>开启AI自动取景后，虚拟背景将自动关闭，视角、变焦和方向调节也将不可用。</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>开启虚拟背景后将关闭自动取景。</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>右键单击可删除自定义图片，默认图片无法删除。</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>请先放大画面，再调节方向。</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>请升级到 v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> 或更高版本，以使用 OrlaCam 的新功能。</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>相机设置</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>对焦</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自动</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>自动对焦模式</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>全局</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>人脸</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>手动对焦</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>曝光</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>自动曝光模式</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>曝光补偿</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>快门速度</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>抗闪烁</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
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
        <translation>白平衡</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>图像</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>锐度</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>色调</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完成</translation>
    </message>
</context>
<context>
    <name>DevSleep</name>
    <message>
        <source>Device Sleep</source>
        <translation>设备休眠</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>设备休眠中</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>唤醒</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>请输入名称</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>UvcDevice</name>
    <message>
        <source>Cannot get latest firmware info from server!</source>
        <translation>无法从服务器获取最新固件信息！</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>有新固件可用：</translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>当前固件已是最新版本！</translation>
    </message>
</context>
</TS>
