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
</TS>
