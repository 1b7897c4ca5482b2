<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
</context>
<context>
    <name>MsgProgressUi</name>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>Firmware wird heruntergeladen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>Fortschrittsinformationen</translation>
    </message>
</context>
<context>
    <name>LinkOpener</name>
    <message>
        <source>Tips</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>It cannot be opened here. Please open it yourself:</source>
        <translation>Lässt sich hier nicht öffnen. Bitte selbst öffnen:</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Kamerazugriff</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>Einstellungen zurückgesetzt</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>Die Einstellungsdatei konnte nicht gelesen werden und wurde ersetzt. Kameranamen und Sprache wurden möglicherweise zurückgesetzt. Die alte Datei liegt unter:</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam darf die Kamera unter %1 nicht öffnen (Zugriff verweigert). Installieren Sie die udev-Regel von OrlaCam: Führen Sie im Quellordner von OrlaCam

%2

aus und stecken Sie die Kamera dann aus und wieder ein.</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>Automatische Bildausrichtung</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Richtung</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Virtueller Hintergrund</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>Unschärfe</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Blickwinkel</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>Greenscreen</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Ruhemodus</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>Gerätestatus</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>Unschärfegrad</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>Einzelmodus</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>Gruppenmodus</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>Nahaufnahme</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>Oberkörper</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>Der virtuelle Hintergrund wird ausgeschaltet, sobald die automatische Bildausrichtung aktiviert ist; auch Sichtfeld, Zoom und Richtung lassen sich dann nicht mehr einstellen!</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>Einschalten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>Der virtuelle Hintergrund schaltet sich automatisch aus, sobald die KI-Bildausrichtung aktiviert ist; Sichtfeld, Zoom und Richtung lassen sich dann ebenfalls nicht einstellen.</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>Die automatische Bildausrichtung wird ausgeschaltet, sobald der virtuelle Hintergrund aktiviert ist.</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>Mit einem Rechtsklick löschen Sie das eigene Bild. Das Standardbild kann nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>Bitte zuerst vergrößern, bevor Sie die Richtung einstellen.</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>Bitte aktualisieren Sie auf v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> oder höher, um die neuen Funktionen mit Ihrer OrlaCam zu nutzen.</translation>
    </message>
    <message>
        <source>Choose Background Image</source>
        <translation>Hintergrundbild auswählen</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>Bitte wählen Sie ein gültiges Bild und versuchen Sie es erneut!</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>Das Bild ist zu groß. Bitte wählen Sie ein Bild mit höchstens %1 MB und %2 Megapixeln.</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>Bild nicht gespeichert</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>Das zugeschnittene Bild konnte nicht gespeichert werden. Bitte versuchen Sie es erneut!</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>Bild hochladen</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>Bild wird hochgeladen, bitte warten...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>Bild erfolgreich hochgeladen!</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>Hochladen des Bildes fehlgeschlagen. Bitte versuchen Sie es erneut!</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Bitte alle Anwendungen schließen, die KESTRO Orla oder Orla 4K während der Aktualisierung nutzen könnten, etwa OBS Studio, Zoom, Skype und Google Meet.</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Bitte alle Anwendungen schließen, die KESTRO Orla oder Orla 4K während des Protokollexports nutzen könnten, etwa OBS Studio, Zoom, Skype und Google Meet.</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>Kein Gerät verbunden</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>Bitte zuerst das Gerät anschließen und erneut versuchen!</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>Firmware wird heruntergeladen</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>Der Firmware-Server dieses Computers kann nicht starten, bitte später erneut versuchen!</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>Protokoll wird exportiert</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>Bitte warten und das Gerät verbunden lassen!</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>Protokolldatei erfolgreich exportiert!</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>Protokollexport fehlgeschlagen, bitte später erneut versuchen!</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>Protokolldatei erfolgreich exportiert, das Gerät startet jetzt neu!</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Werkseinstellungen wiederherstellen</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>Alle Einstellungen jetzt zurücksetzen?</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>Das Gerät stellt die Werkseinstellungen wieder her, bitte warten...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>Werkseinstellungen erfolgreich wiederhergestellt!</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>Zurücksetzen fehlgeschlagen, bitte später erneut versuchen!</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>Firmware auswählen</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>Ungültige Firmware</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>Bitte ein gültiges Firmware-Paket wählen und erneut versuchen!</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>Software-Aktualisierung</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>Neue Software verfügbar: </translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>Speicherort auswählen</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>Software wird heruntergeladen</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>Kameraeinstellung</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Fokus</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>Autofokus-Modus</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>Global</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>Gesicht</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>Manueller Fokus</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Belichtung</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>Auto-Belichtungsmodus</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>Korrektur</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>Verschlusszeit</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>Anti-Flimmern</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
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
        <translation>Weißabgleich</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Farbtemperatur</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Kontrast</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Sättigung</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Schärfe</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>Farbton</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>DevSleep</name>
    <message>
        <source>Device Sleep</source>
        <translation>Geräte-Ruhemodus</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>Gerät ist im Ruhemodus</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>Bitte Namen eingeben</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>UvcDevice</name>
    <message>
        <source>Cannot get latest firmware info from server!</source>
        <translation>Die neuesten Firmware-Informationen konnten nicht vom Server abgerufen werden!</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>Neue Firmware verfügbar: </translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>Die Firmware ist auf dem neuesten Stand!</translation>
    </message>
</context>
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>Softwareversion</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>Firmwareversion</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>Automatischer Ruhemodus</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>Erkennt das System, dass das Gerät nicht streamt, wechselt es sofort in den Ruhemodus.</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>Wird die Software KESTRO OrlaCam nicht benutzt, wechselt es nach dieser Zeit in den Ruhemodus.</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 Min.</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 Min.</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>Kameraeinstellungen</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>Tastenbelegung</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotation</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Virtueller Hintergrund</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>Globale Tastenkürzel</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>Fernbedienung</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Schließen Sie während des Updates alle Anwendungen, die KESTRO Orla oder Orla 4K nutzen könnten, z. B. OBS Studio, Zoom, Skype und Google Meet.</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>Die Funktionen für den virtuellen Hintergrund sind in der Beta-Phase; weitere Updates verbessern den Effekt.</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>Nur mit der 「KESTRO Orla Fernbedienung」 kompatibel! Erhältlich unter </translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>Die Tasten der Fernbedienung können mit Tastenkürzeln anderer Programme kollidieren. Schalten Sie diese dann aus oder ändern Sie sie.
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>Zum Beispiel das Kürzel 「Bildschirmdrehung」 im 「Intel ® Graphics Control Centre」</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>Beschreibung der Tastenmodi</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| Standard</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| Rotation</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>Klicken</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>Doppelklicken</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>3 Sekunden gedrückt halten</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>Automatische Bildausrichtung ein/aus</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>Virtuellen Hintergrund ein/aus (Unschärfe/Greenscreen/Ersetzen)</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>Gerät in Ruhemodus versetzen/aufwecken</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>Wechselt in dieser Reihenfolge zum nächsten Modus: Standard-&gt;Bildausrichtung-&gt;virtueller Hintergrund</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
</context>
<context>
    <name>ButtonMode</name>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
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
        <translation>Antiflimmern</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
</context>
<context>
    <name>ForMoreUi</name>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>Protokoll exportieren</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>Update-Anleitung</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>Firmware-Update</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Werkseinstellungen</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>Globale/lokale Kürzel</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>Gerät 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>Gerät 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>Gerät 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>Gerät 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>Richtung zurücksetzen</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>Maximaler Zoom</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>Minimaler Zoom</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>Ansicht nach oben</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>Ansicht nach unten</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>Ansicht nach links</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>Ansicht nach rechts</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>Gerät Ruhemodus/Aufwecken</translation>
    </message>
    <message>
        <source>View 65°</source>
        <translation>Blickwinkel 65°</translation>
    </message>
    <message>
        <source>View 78°</source>
        <translation>Blickwinkel 78°</translation>
    </message>
    <message>
        <source>View 86°</source>
        <translation>Blickwinkel 86°</translation>
    </message>
    <message>
        <source>Virtual background: blur</source>
        <translation>Virtueller Hintergrund: Unschärfe</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>Virtueller Hintergrund: Greenscreen</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>Virtueller Hintergrund: Ersetzen</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>Bildausrichtung: Einzelmodus</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>Bildausrichtung: Gruppenmodus</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>Standardmodus</translation>
    </message>
</context>
<context>
    <name>UvcPatchUpgrade</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Warnung:
1 Trennen Sie das Gerät während des Upgrades nicht, sonst kann es beschädigt werden!
2 Bitte schließen Sie während des Upgrades alle Anwendungen, die das Gerät verwenden könnten, etwa OBS Studio, Zoom, Skype und Google Meet.
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>Warnung: Bitte schließen Sie alle anderen Programme, die das Gerät verwenden könnten!</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Upgrade fehlgeschlagen, bitte versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>Das Upgrade-Paket ist veraltet.</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>Upgrade erfolgreich!</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>ImageCrop</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
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
        <translation>%1 konnte nicht registriert werden. Fehler: %2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>%1 konnte nicht abgemeldet werden. Fehler: %2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>Firmware wird heruntergeladen</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>Downloadfehler!</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB, gesamt %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>Zeitüberschreitung beim Download, bitte später erneut versuchen!</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>Aktualisierung beginnt. Bitte nicht trennen!</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>Warnung: Das Gerät während der Aktualisierung nicht trennen, sonst wird es beschädigt!</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>Aktualisierung erfolgreich!</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Aktualisierung fehlgeschlagen, bitte später erneut versuchen.</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>Das Gerät antwortet seit Langem nicht, bitte Gerät neu starten und erneut versuchen!</translation>
    </message>
</context>
<context>
    <name>UvcUpgradeProgress</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Warnung:
1 Das Gerät während der Aktualisierung nicht trennen, sonst wird es beschädigt!
2 Bitte alle Anwendungen schließen, die das Gerät während der Aktualisierung nutzen könnten, etwa OBS Studio, Zoom, Skype und Google Meet.
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>Aktualisierung fehlgeschlagen, bitte später erneut versuchen.</translation>
    </message>
</context>
</TS>
