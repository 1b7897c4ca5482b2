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
    <name>LinkOpener</name>
    <message>
        <source>Tips</source>
        <translation>ヒント</translation>
    </message>
    <message>
        <source>It cannot be opened here. Please open it yourself:</source>
        <translation>ここでは開けません。手動で開いてください：</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>カメラへのアクセス</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>設定のリセット</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>設定ファイルを読み込めなかったため、置き換えました。カメラ名と言語がリセットされている可能性があります。元のファイルの保存先：</translation>
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
    <message>
        <source>Choose Background Image</source>
        <translation>背景画像を選択</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>無効な画像</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>有効な画像を選択して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>画像が大きすぎます。%1 MB 以下、%2 メガピクセル以下の画像を選択してください。</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>画像を保存できません</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>切り抜いた画像を保存できませんでした。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>画像のアップロード</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>画像をアップロードしています。お待ちください...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>画像をアップロードしました。</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>画像のアップロードに失敗しました。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>アップグレード中は、OBS Studio、Zoom、Skype、Google Meet など、KESTRO Orla または Orla 4K を使用する可能性のあるアプリをすべて閉じてください。</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>ログのエクスポート中は、OBS Studio、Zoom、Skype、Google Meet など、KESTRO Orla または Orla 4K を使用する可能性のあるアプリをすべて閉じてください。</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>デバイスが接続されていません</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>デバイスを接続してから、もう一度お試しください！</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>ファームウェアのアップグレード情報</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>ファームウェアをダウンロード中</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>このコンピューターのファームウェアサーバーを起動できません。後でもう一度お試しください！</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>ログを取得中</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>デバイスを接続したまま、しばらくお待ちください！</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>ログファイルを取得しました！</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>ログの取得に失敗しました。後でもう一度お試しください！</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>ログファイルを取得しました。デバイスを再起動します！</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>工場出荷時の設定に戻す</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>すべての設定を今すぐリセットしますか？</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>デバイスを工場出荷時の設定に戻しています。お待ちください...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>工場出荷時の設定に戻しました！</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>工場出荷時の設定に戻せませんでした。後でもう一度お試しください！</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>ファームウェアを選択</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>無効なファームウェア</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>有効なファームウェアパッケージを選択して、もう一度お試しください！</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>ソフトウェアのアップグレード情報</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>新しいソフトウェアがあります：</translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>保存先を選択</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>ソフトウェアをダウンロード中</translation>
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
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>システム設定</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>ソフトウェアバージョン</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>ファームウェアバージョン</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>自動スリープ</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>デバイスが映像を配信していないことを検出すると、すぐにスリープモードに入ります。</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>KESTRO OrlaCam を使用していないときは、次の時間が経過するとスリープモードに入ります。</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 秒</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 分</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 分</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>カメラ設定</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>ボタン設定</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>デフォルト</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>ローテーション</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>ノイズ低減</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>バーチャル背景</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>グローバルホットキー</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>リモコン</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>言語</translation>
    </message>
    <message>
        <source>English</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>More</source>
        <translation>その他</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>ヒント</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>アップグレード中は、OBS Studio、Zoom、Skype、Google Meet など、KESTRO Orla または Orla 4K を使用する可能性のあるアプリケーションをすべて終了してください。</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>バーチャル背景機能は現在ベータ版です。今後のアップデートで効果を改善していきます。</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>「KESTRO Orla リモコン」専用です！ご購入はこちら：</translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>リモコンのキーが他のソフトウェアのショートカットキーと競合する場合があります。その場合は、他のソフトウェアのショートカットキーをオフにするか変更してください。
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>例：「Intel ® Graphics Control Centre」の「画面の回転」ショートカットキー</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>ボタンモードの説明</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| デフォルト</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| ローテーション</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>クリック</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>ダブルクリック</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>3 秒間長押し</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>オートフレーミングのオン/オフ</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>バーチャル背景のオン/オフ（ぼかし/グリーンスクリーン/置き換え）</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>デバイスのスリープ/復帰</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>次の順でモードを切り替え：標準-&gt;オートフレーミング-&gt;バーチャル背景</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
</context>
<context>
    <name>ButtonMode</name>
    <message>
        <source>Default</source>
        <translation>デフォルト</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>ローテーション</translation>
    </message>
</context>
<context>
    <name>AntiFlicker</name>
    <message>
        <source>Anti-Flicker</source>
        <translation>フリッカー防止</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>オフ</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>言語</translation>
    </message>
</context>
<context>
    <name>ForMoreUi</name>
    <message>
        <source>More</source>
        <translation>その他</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>ログをエクスポート</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>アップグレード手順</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>ファームウェア更新</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>工場出荷時の設定に戻す</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>ホットキー一覧</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>グローバル/ローカル切替</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>デバイス 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>デバイス 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>デバイス 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>デバイス 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>方向リセット</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>ズームイン</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>ズームアウト</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>最大ズーム</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>最小ズーム</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>視野を上へ</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>視野を下へ</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>視野を左へ</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>視野を右へ</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>デバイスのスリープ/復帰</translation>
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
        <translation>バーチャル背景: ぼかし</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>バーチャル背景: グリーンスクリーン</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>バーチャル背景: 置き換え</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>オートフレーミング: シングル</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>オートフレーミング: グループ</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>標準モード</translation>
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
1 アップグレード中はデバイスを取り外さないでください。デバイスが故障する恐れがあります！
2 アップグレード中は、OBS Studio、Zoom、Skype、Google Meet など、デバイスを使用する可能性のあるすべてのアプリケーションを閉じてください。
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>警告：デバイスを使用する可能性のある他のプログラムを閉じてください！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>アップグレードに失敗しました。後でもう一度お試しください。</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>アップグレードパッケージが古くなっています。</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>アップグレードに成功しました！</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>プレビュー</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
</context>
<context>
    <name>ImageCrop</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
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
        <translation>%1 の登録に失敗しました。エラー: %2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>%1 の登録解除に失敗しました。エラー: %2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>ファームウェアをダウンロード中</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>ダウンロードエラー！</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB、合計 %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>ダウンロードがタイムアウトしました。後でもう一度お試しください！</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>アップグレードを開始します。接続を切らないでください！</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>警告：アップグレード中はデバイスを取り外さないでください。デバイスが故障する恐れがあります！</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>アップグレードに成功しました！</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>アップグレードに失敗しました。後でもう一度お試しください。</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>デバイスから長時間応答がありません。デバイスを再起動してもう一度お試しください！</translation>
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
1 アップグレード中はデバイスを取り外さないでください。デバイスが故障する恐れがあります！
2 アップグレード中は、OBS Studio、Zoom、Skype、Google Meet など、デバイスを使用する可能性のあるアプリをすべて閉じてください。
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>アップグレードに失敗しました。後でもう一度お試しください。</translation>
    </message>
</context>
</TS>
