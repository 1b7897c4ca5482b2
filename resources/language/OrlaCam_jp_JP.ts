<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>No</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
</context>
<context>
    <name>MsgProgressUi</name>
    <message>
        <source>Progress</source>
        <translation>進行状況</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>ファームウェアをダウンロード中</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>進行状況の情報</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>カメラへのアクセス</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam は %1 のカメラを開けません（アクセスが拒否されました）。OrlaCam の udev ルールをインストールしてください。OrlaCam のソースフォルダーで次を実行します：

%2

その後、カメラを抜いて差し直してください。</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>オートフレーミング</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>ズーム</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>バーチャル背景</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>オプション</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>ぼかし</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>置き換え</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
    <message>
        <source>View</source>
        <translation>視野</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>グリーンスクリーン</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>リセット</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>スリープ</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>デバイスの状態</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>ぼかしの強さ</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>色</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選択</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>シングルモード</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>グループモード</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>クローズアップ</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>上半身</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>オートフレーミングを有効にすると仮想背景はオフになり、視野角、ズーム、方向の調整もできなくなります！</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>オンにする</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>AIオートフレーミングを有効にすると仮想背景は自動的にオフになり、視野角、ズーム、方向の調整もできなくなります。</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>仮想背景を有効にするとオートフレーミングはオフになります。</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>右クリックでカスタム画像を削除できます。既定の画像は削除できません。</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>方向を調整する前に、まずズームインしてください。</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>ヒント</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>OrlaCam の新機能を使うには v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> 以降にアップグレードしてください。</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>カメラ設定</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>フォーカス</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>オートフォーカスモード</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>全体</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>顔</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>マニュアルフォーカス</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>露出</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>自動露出モード</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>露出補正</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>シャッタースピード</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>フリッカー防止</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>オフ</translation>
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
        <translation>ホワイトバランス</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>色温度</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>画像</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>コントラスト</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>彩度</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>シャープネス</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>色相</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完了</translation>
    </message>
</context>
<context>
    <name>DevSleep</name>
    <message>
        <source>Device Sleep</source>
        <translation>デバイスのスリープ</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>デバイスはスリープ中です</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>再開</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>名前の変更</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>名前を入力してください</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>UvcDevice</name>
    <message>
        <source>Cannot get latest firmware info from server!</source>
        <translation>サーバーから最新のファームウェア情報を取得できません！</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>新しいファームウェアが利用できます：</translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>ファームウェアは最新です！</translation>
    </message>
</context>
</TS>
