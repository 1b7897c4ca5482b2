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
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>攝影機存取權限</translation>
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
</TS>
