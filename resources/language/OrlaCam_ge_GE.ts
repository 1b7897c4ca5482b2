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
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Kamerazugriff</translation>
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
        <translation>Globale/lokale Kürzel umschalten</translation>
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
</TS>
