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
    <name>LinkOpener</name>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>It cannot be opened here. Please open it yourself:</source>
        <translation>无法在此打开，请手动打开：</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>摄像头访问权限</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>设置已重置</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>无法读取设置文件，已将其替换。摄像头名称和语言可能已被重置。原文件保存为：</translation>
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
    <message>
        <source>Choose Background Image</source>
        <translation>选择背景图片</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>图片无效</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>请选择有效的图片后重试！</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>图片太大。请选择不超过 %1 MB、%2 百万像素的图片。</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>图片保存失败</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>无法保存裁剪后的图片，请重试！</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>开始上传图片</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>正在上传图片，请稍候...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>图片上传成功！</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>图片上传失败，请重试！</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>升级期间请关闭所有可能使用 KESTRO Orla 或 Orla 4K 的应用，如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>导出日志期间请关闭所有可能使用 KESTRO Orla 或 Orla 4K 的应用，如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>未连接设备</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>请先插入设备后重试！</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>固件升级信息</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>正在下载固件</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>本机的固件服务器无法启动，请稍后重试！</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>正在导出日志</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>请稍候，并保持设备连接！</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>日志文件导出成功！</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>日志导出失败，请稍后重试！</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>日志文件导出成功，设备即将重启！</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>恢复出厂设置</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>是否立即重置所有设置？</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>设备正在恢复出厂设置，请稍候...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>恢复出厂设置成功！</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>恢复出厂设置失败，请稍后重试！</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>选择固件</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>固件无效</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>请选择有效的固件包后重试！</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>软件升级信息</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>有新软件可用：</translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>选择保存路径</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>正在下载软件</translation>
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
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>系统设置</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>软件版本</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>固件版本</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>设备自动休眠</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>当系统检测到设备未处于视频流状态时，将立即进入休眠模式。</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>当 KESTRO OrlaCam 软件未被使用时，将在以下时间后进入休眠模式。</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 秒</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 分钟</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 分钟</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>摄像头设置</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>按键配置</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>轮换</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>虚拟背景</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>全局快捷键</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>遥控器</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>English</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>More</source>
        <translation>更多</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>升级期间，请关闭所有可能使用 KESTRO Orla 或 Orla 4K 的应用程序，例如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>虚拟背景功能目前为测试版，后续更新将进一步优化效果。</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>仅兼容「KESTRO Orla 遥控器」！如需购买，请前往 </translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>遥控器按键可能与某些软件的快捷键冲突。如有冲突，请关闭或更改其他软件的快捷键。
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>例如「Intel ® Graphics Control Centre」的「屏幕旋转」快捷键</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>按键模式说明</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| 默认</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| 轮换</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>单击</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>双击</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>长按 3 秒</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>开启/关闭自动取景</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>开启/关闭虚拟背景（模糊/绿幕/替换）</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>设备休眠/唤醒</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>按以下顺序切换到下一模式：标准-&gt;自动取景-&gt;虚拟背景</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
</context>
<context>
    <name>ButtonMode</name>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>轮换</translation>
    </message>
</context>
<context>
    <name>AntiFlicker</name>
    <message>
        <source>Anti-Flicker</source>
        <translation>防闪烁</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
</context>
<context>
    <name>ForMoreUi</name>
    <message>
        <source>More</source>
        <translation>更多</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>导出日志</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>升级手册</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>恢复出厂设置</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>快捷键列表</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>全局/本地切换</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>设备 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>设备 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>设备 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>设备 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>方向复位</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>最大变焦</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>最小变焦</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>视野上移</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>视野下移</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>视野左移</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>视野右移</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>设备休眠/唤醒</translation>
    </message>
    <message>
        <source>View 65°</source>
        <translation>视野 65°</translation>
    </message>
    <message>
        <source>View 78°</source>
        <translation>视野 78°</translation>
    </message>
    <message>
        <source>View 86°</source>
        <translation>视野 86°</translation>
    </message>
    <message>
        <source>Virtual background: blur</source>
        <translation>虚拟背景：模糊</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>虚拟背景：绿幕</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>虚拟背景：替换</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>自动取景：单人模式</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>自动取景：多人模式</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>标准模式</translation>
    </message>
</context>
<context>
    <name>UvcPatchUpgrade</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>警告：
1 升级过程中请勿断开设备，否则设备可能损坏！
2 请确保在升级过程中关闭所有可能使用设备的应用程序，例如 OBS Studio、Zoom、Skype 和 Google Meet 等。
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>警告：请关闭所有可能使用设备的其他程序！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升级失败，请稍后重试。</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>升级包已过期。</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>升级成功！</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
</context>
<context>
    <name>ImageCrop</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>QHotkey</name>
    <message>
        <source>Failed to register %1. Error: %2</source>
        <translation>注册 %1 失败。错误：%2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>取消注册 %1 失败。错误：%2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>正在下载固件</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>下载出错！</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB，共 %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>下载超时，请稍后重试！</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>开始升级，请勿断开连接！</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>警告：升级期间请勿断开设备，否则设备将会损坏！</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>升级成功！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升级失败，请稍后重试。</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>设备长时间无响应，请重启设备后重试！</translation>
    </message>
</context>
<context>
    <name>UvcUpgradeProgress</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>警告：
1 升级期间请勿断开设备，否则设备将会损坏！
2 升级期间请关闭所有可能使用设备的应用，如 OBS Studio、Zoom、Skype 和 Google Meet 等。
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升级失败，请稍后重试。</translation>
    </message>
</context>
</TS>
