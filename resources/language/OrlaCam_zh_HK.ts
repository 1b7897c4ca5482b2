<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_HK">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>訊息</translation>
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
        <translation>進度</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>正在下載韌體</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>進度資訊</translation>
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
        <translation>無法在此開啟，請手動開啟：</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>攝影機存取權限</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>設定已重設</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>無法讀取設定檔，已將其替換。攝影機名稱和語言可能已被重設。原檔案保存為：</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam 無法開啟位於 %1 的攝影機（權限被拒絕）。請安裝 OrlaCam 的 udev 規則：在 OrlaCam 原始碼資料夾中執行

%2

然後拔出並重新插入攝影機。</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>自動取景</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>變焦</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>虛擬背景</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>選項</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>虛化</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>替換</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>連接</translation>
    </message>
    <message>
        <source>View</source>
        <translation>視角</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>綠幕</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>復位</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>休眠</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>設備狀態</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>虛化程度</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>顏色</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選擇</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>單人模式</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>多人模式</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>特寫</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>半身</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>開啟自動取景後將關閉虛擬背景，同時視角、變焦和方向調節將不可用！</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>開啟AI自動取景後，虛擬背景將自動關閉，視角、變焦和方向調節也將不可用。</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>開啟虛擬背景後將關閉自動取景。</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>右鍵點擊可刪除自訂圖片，預設圖片無法刪除。</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>請先放大畫面，再調節方向。</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>請升級到 v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> 或更高版本，以使用 OrlaCam 的新功能。</translation>
    </message>
    <message>
        <source>Choose Background Image</source>
        <translation>選擇背景圖片</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>圖片無效</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>請選擇有效的圖片後重試！</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>圖片太大。請選擇不超過 %1 MB、%2 百萬像素的圖片。</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>圖片儲存失敗</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>無法儲存裁剪後的圖片，請重試！</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>開始上傳圖片</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>正在上傳圖片，請稍候...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>圖片上傳成功！</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>圖片上傳失敗，請重試！</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>升級期間請關閉所有可能使用 KESTRO Orla 或 Orla 4K 的應用程式，如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>匯出日誌期間請關閉所有可能使用 KESTRO Orla 或 Orla 4K 的應用程式，如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>未連接裝置</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>請先插入裝置後重試！</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>韌體升級資訊</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>正在下載韌體</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>本機的韌體伺服器無法啟動，請稍後重試！</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>正在匯出日誌</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>請稍候，並保持裝置連接！</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>日誌檔案匯出成功！</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>日誌匯出失敗，請稍後重試！</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>日誌檔案匯出成功，裝置即將重新啟動！</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>恢復原廠設定</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>是否立即重設所有設定？</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>裝置正在恢復原廠設定，請稍候...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>恢復原廠設定成功！</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>恢復原廠設定失敗，請稍後重試！</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>選擇韌體</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>韌體無效</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>請選擇有效的韌體套件後重試！</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>軟體升級資訊</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>有新軟體可用：</translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>選擇儲存路徑</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>正在下載軟體</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>相機設定</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>對焦</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>自動對焦模式</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>全域</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>人臉</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>手動對焦</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>曝光</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>自動曝光模式</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>曝光補償</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>快門速度</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>抗閃爍</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>關閉</translation>
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
        <translation>色溫</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>影像</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>對比度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>飽和度</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>銳利度</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>色調</translation>
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
        <translation>設備休眠</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>設備休眠中</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>喚醒</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>連接</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>重新命名</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>請輸入名稱</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
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
        <translation>無法從伺服器取得最新韌體資訊！</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>有新韌體可用：</translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>目前韌體已是最新版本！</translation>
    </message>
</context>
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>系統設定</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>軟體版本</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>韌體版本</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>裝置自動休眠</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>當系統偵測到裝置未處於視訊串流狀態時，將立即進入休眠模式。</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>當 KESTRO OrlaCam 軟體未被使用時，將在以下時間後進入休眠模式。</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 秒</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 分鐘</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 分鐘</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>攝影機設定</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>按鍵配置</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>預設</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>輪換</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>虛擬背景</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>全域快速鍵</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>遙控器</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>English</source>
        <translation>繁體中文</translation>
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
        <translation>升級期間，請關閉所有可能使用 KESTRO Orla 或 Orla 4K 的應用程式，例如 OBS Studio、Zoom、Skype 和 Google Meet 等。</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>虛擬背景功能目前為測試版，後續更新將進一步優化效果。</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>僅相容「KESTRO Orla 遙控器」！如需購買，請前往 </translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>遙控器按鍵可能與某些軟體的快速鍵衝突。如有衝突，請關閉或變更其他軟體的快速鍵。
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>例如「Intel ® Graphics Control Centre」的「螢幕旋轉」快速鍵</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>按鍵模式說明</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| 預設</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| 輪換</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>單擊</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>雙擊</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>長按 3 秒</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>開啟/關閉自動取景</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>開啟/關閉虛擬背景（模糊/綠幕/替換）</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>裝置休眠/喚醒</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>按以下順序切換到下一模式：標準-&gt;自動取景-&gt;虛擬背景</translation>
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
        <translation>預設</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>輪換</translation>
    </message>
</context>
<context>
    <name>AntiFlicker</name>
    <message>
        <source>Anti-Flicker</source>
        <translation>防閃爍</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>關閉</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>語言</translation>
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
        <translation>匯出日誌</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>升級手冊</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>韌體升級</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>恢復原廠設定</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>快速鍵列表</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>全域/本機切換</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>裝置 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>裝置 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>裝置 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>裝置 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>方向重設</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>縮小</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>最大變焦</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>最小變焦</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>視野上移</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>視野下移</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>視野左移</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>視野右移</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>裝置休眠/喚醒</translation>
    </message>
    <message>
        <source>View 65°</source>
        <translation>視野 65°</translation>
    </message>
    <message>
        <source>View 78°</source>
        <translation>視野 78°</translation>
    </message>
    <message>
        <source>View 86°</source>
        <translation>視野 86°</translation>
    </message>
    <message>
        <source>Virtual background: blur</source>
        <translation>虛擬背景：模糊</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>虛擬背景：綠幕</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>虛擬背景：替換</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>自動取景：單人模式</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>自動取景：多人模式</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>標準模式</translation>
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
1 升級過程中請勿斷開設備，否則設備可能損壞！
2 請確保在升級過程中關閉所有可能使用設備的應用程式，例如 OBS Studio、Zoom、Skype 和 Google Meet 等。
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>警告：請關閉所有可能使用設備的其他程式！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升級失敗，請稍後重試。</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>升級包已過期。</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>升級成功！</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>預覽</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
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
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>QHotkey</name>
    <message>
        <source>Failed to register %1. Error: %2</source>
        <translation>註冊 %1 失敗。錯誤：%2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>取消註冊 %1 失敗。錯誤：%2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>正在下載韌體</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>下載出錯！</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB，共 %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>下載逾時，請稍後重試！</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>開始升級，請勿中斷連接！</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>警告：升級期間請勿中斷裝置，否則裝置將會損壞！</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>升級成功！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升級失敗，請稍後重試。</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>裝置長時間無回應，請重新啟動裝置後重試！</translation>
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
1 升級期間請勿中斷裝置，否則裝置將會損壞！
2 升級期間請關閉所有可能使用裝置的應用程式，如 OBS Studio、Zoom、Skype 和 Google Meet 等。
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>升級失敗，請稍後重試。</translation>
    </message>
</context>
</TS>
