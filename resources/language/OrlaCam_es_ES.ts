<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>MsgInfoUi</name>
    <message>
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
</context>
<context>
    <name>MsgProgressUi</name>
    <message>
        <source>Progress</source>
        <translation>Progreso</translation>
    </message>
    <message>
        <source>Downloading firmware</source>
        <translation>Descargando firmware</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Progress info</source>
        <translation>Información de progreso</translation>
    </message>
</context>
<context>
    <name>LinkOpener</name>
    <message>
        <source>Tips</source>
        <translation>Consejo</translation>
    </message>
    <message>
        <source>It cannot be opened here. Please open it yourself:</source>
        <translation>No se puede abrir aquí. Ábralo usted mismo:</translation>
    </message>
</context>
<context>
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Acceso a la cámara</translation>
    </message>
    <message>
        <source>Settings reset</source>
        <translation>Ajustes restablecidos</translation>
    </message>
    <message>
        <source>The settings file could not be read and was replaced. Camera names and the language may have been reset. The old file is kept as:</source>
        <translation>No se pudo leer el archivo de ajustes y se ha sustituido. Es posible que se hayan restablecido los nombres de las cámaras y el idioma. El archivo anterior se guarda en:</translation>
    </message>
    <message>
        <source>OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev rule: in the OrlaCam source folder run

%2

then unplug and replug the camera.</source>
        <translation>OrlaCam no puede abrir la cámara en %1 (permiso denegado). Instale la regla udev de OrlaCam: en la carpeta de origen de OrlaCam ejecute

%2

y luego desconecte y vuelva a conectar la cámara.</translation>
    </message>
    <message>
        <source>KESTRO OrlaCam</source>
        <translation>KESTRO OrlaCam</translation>
    </message>
    <message>
        <source>Auto Framing</source>
        <translation>Encuadre automático</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Dirección</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Fondo virtual</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Opción</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>Desenfoque</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>Reemplazo</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Conectar</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Vista</translation>
    </message>
    <message>
        <source>Green Screen</source>
        <translation>Pantalla verde</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Suspender</translation>
    </message>
    <message>
        <source>Device Status</source>
        <translation>Estado del dispositivo</translation>
    </message>
    <message>
        <source>Blur Level</source>
        <translation>Nivel de desenfoque</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Seleccionar</translation>
    </message>
    <message>
        <source>Single Mode</source>
        <translation>Modo individual</translation>
    </message>
    <message>
        <source>Group Mode</source>
        <translation>Modo grupo</translation>
    </message>
    <message>
        <source>Close-up</source>
        <translation>Primer plano</translation>
    </message>
    <message>
        <source>Upper Body</source>
        <translation>Medio cuerpo</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Nada</translation>
    </message>
    <message>
        <source>Virtual background will be turned off once the Auto Framing is activated, also adjustment of FoV, Zoom in/out and Direction will be disabled!</source>
        <translation>El fondo virtual se desactivará al activar el encuadre automático; tampoco se podrán ajustar el campo de visión, el zoom ni la dirección.</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>Activar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>The Virtual background will automatically turn off once the AI Auto-framing is activated, and the adjustment of FoV, Zoom in/out and Direction will be disabled too.</source>
        <translation>El fondo virtual se desactiva automáticamente al activar el encuadre automático con IA, y tampoco se podrán ajustar el campo de visión, el zoom ni la dirección.</translation>
    </message>
    <message>
        <source>Auto framing will be turned off once virtual background is activated.</source>
        <translation>El encuadre automático se desactivará al activar el fondo virtual.</translation>
    </message>
    <message>
        <source>Right click to delete the custom image. The default image cannot be deleted.</source>
        <translation>Haga clic con el botón derecho para eliminar la imagen personalizada. La imagen predeterminada no se puede eliminar.</translation>
    </message>
    <message>
        <source>Please zoom in first before adjusting the direction.</source>
        <translation>Acerque primero la imagen antes de ajustar la dirección.</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Consejo</translation>
    </message>
    <message>
        <source>Please upgrade to the v</source>
        <translation>Actualice a la v</translation>
    </message>
    <message>
        <source> or higher for new features with your OrlaCam.</source>
        <translation> o superior para disfrutar de las nuevas funciones con su OrlaCam.</translation>
    </message>
    <message>
        <source>Choose Background Image</source>
        <translation>Elegir imagen de fondo</translation>
    </message>
    <message>
        <source>Image Invalid</source>
        <translation>Imagen no válida</translation>
    </message>
    <message>
        <source>Please select valid image and try again!</source>
        <translation>Seleccione una imagen válida e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>The image is too large. Please select an image of at most %1 MB and %2 megapixels.</source>
        <translation>La imagen es demasiado grande. Seleccione una imagen de %1 MB y %2 megapíxeles como máximo.</translation>
    </message>
    <message>
        <source>Image Save Failed</source>
        <translation>Error al guardar la imagen</translation>
    </message>
    <message>
        <source>The cropped image could not be saved, please try again!</source>
        <translation>No se pudo guardar la imagen recortada. Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Start Image Upload</source>
        <translation>Subir imagen</translation>
    </message>
    <message>
        <source>Uploading image, please wait...</source>
        <translation>Subiendo la imagen, espere...</translation>
    </message>
    <message>
        <source>Upload image successfully!</source>
        <translation>¡Imagen subida correctamente!</translation>
    </message>
    <message>
        <source>Image upload failed, please try again!</source>
        <translation>Error al subir la imagen. Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Cierre todas las aplicaciones que puedan usar KESTRO Orla u Orla 4K durante la actualización, como OBS Studio, Zoom, Skype o Google Meet.</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the log export, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Cierre todas las aplicaciones que puedan usar KESTRO Orla u Orla 4K durante la exportación del registro, como OBS Studio, Zoom, Skype o Google Meet.</translation>
    </message>
    <message>
        <source>No Device Connected</source>
        <translation>Ningún dispositivo conectado</translation>
    </message>
    <message>
        <source>Please insert device first and try again!</source>
        <translation>Conecte primero el dispositivo e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Firmware upgrade info</source>
        <translation>Información de actualización del firmware</translation>
    </message>
    <message>
        <source>Downloading Firmware</source>
        <translation>Descargando firmware</translation>
    </message>
    <message>
        <source>The firmware server of this computer cannot start, please try again later!</source>
        <translation>El servidor de firmware de este equipo no puede iniciarse; inténtelo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>Extracting Log</source>
        <translation>Extrayendo el registro</translation>
    </message>
    <message>
        <source>Please wait and keep the device connected!</source>
        <translation>Espere y mantenga el dispositivo conectado.</translation>
    </message>
    <message>
        <source>Extract the log file successfully!</source>
        <translation>¡Registro extraído correctamente!</translation>
    </message>
    <message>
        <source>Extract log failed, please try again later!</source>
        <translation>No se pudo extraer el registro; inténtelo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>Extract the log file successfully and device will reboot now!</source>
        <translation>Registro extraído correctamente; el dispositivo se reiniciará ahora.</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Restablecer ajustes de fábrica</translation>
    </message>
    <message>
        <source>Do you want to reset all settings immediately?</source>
        <translation>¿Desea restablecer ahora todos los ajustes?</translation>
    </message>
    <message>
        <source>Device is restoring the factory settings, please waiting...</source>
        <translation>El dispositivo está restableciendo los ajustes de fábrica, espere...</translation>
    </message>
    <message>
        <source>Factory reset successfully!</source>
        <translation>¡Ajustes de fábrica restablecidos!</translation>
    </message>
    <message>
        <source>Factory reset failed, please try again later!</source>
        <translation>No se pudieron restablecer los ajustes de fábrica; inténtelo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>Choose Firmware</source>
        <translation>Elegir firmware</translation>
    </message>
    <message>
        <source>Firmware Invalid</source>
        <translation>Firmware no válido</translation>
    </message>
    <message>
        <source>Please select valid firmware package and try again!</source>
        <translation>Seleccione un paquete de firmware válido e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Software upgrade info</source>
        <translation>Información de actualización del software</translation>
    </message>
    <message>
        <source>New software is available: </source>
        <translation>Hay un nuevo software disponible: </translation>
    </message>
    <message>
        <source>Choose Storage Path</source>
        <translation>Elegir carpeta de destino</translation>
    </message>
    <message>
        <source>Downloading Software</source>
        <translation>Descargando software</translation>
    </message>
</context>
<context>
    <name>CamSettings</name>
    <message>
        <source>Camera Setting</source>
        <translation>Configuración de cámara</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Enfoque</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Auto Focus Mode</source>
        <translation>Modo de autoenfoque</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>Global</translation>
    </message>
    <message>
        <source>Face</source>
        <translation>Rostro</translation>
    </message>
    <message>
        <source>Manual Focus</source>
        <translation>Enfoque manual</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposición</translation>
    </message>
    <message>
        <source>Auto Exposure Mode</source>
        <translation>Modo de autoexposición</translation>
    </message>
    <message>
        <source>Compensation</source>
        <translation>Compensación</translation>
    </message>
    <message>
        <source>Shutter Speed</source>
        <translation>Velocidad de obturación</translation>
    </message>
    <message>
        <source>ISO</source>
        <translation>ISO</translation>
    </message>
    <message>
        <source>Anti-Flicker</source>
        <translation>Antiparpadeo</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Apagado</translation>
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
        <translation>Balance de blancos</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Temperatura de color</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Imagen</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contraste</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Saturación</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Nitidez</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>Tono</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Listo</translation>
    </message>
</context>
<context>
    <name>DevSleep</name>
    <message>
        <source>Device Sleep</source>
        <translation>Dispositivo en suspensión</translation>
    </message>
    <message>
        <source>Device is sleeping</source>
        <translation>El dispositivo está en suspensión</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reanudar</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Conectar</translation>
    </message>
</context>
<context>
    <name>DevButton</name>
    <message>
        <source>Rename</source>
        <translation>Cambiar nombre</translation>
    </message>
    <message>
        <source>Please input name</source>
        <translation>Introduzca un nombre</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>UvcDevice</name>
    <message>
        <source>Cannot get latest firmware info from server!</source>
        <translation>¡No se pudo obtener del servidor la información del firmware más reciente!</translation>
    </message>
    <message>
        <source>New firmware is available: </source>
        <translation>¡Hay un firmware nuevo disponible: </translation>
    </message>
    <message>
        <source>Current firmware is up to date!</source>
        <translation>¡El firmware está actualizado!</translation>
    </message>
</context>
<context>
    <name>SystemSettingUi</name>
    <message>
        <source>System Setting</source>
        <translation>Configuración del sistema</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>Versión del software</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>Versión del firmware</translation>
    </message>
    <message>
        <source>Device Auto Sleep</source>
        <translation>Suspensión automática</translation>
    </message>
    <message>
        <source>When the system detects that the device is not in the streaming state, it will enter the sleep mode immediately.</source>
        <translation>Cuando el sistema detecta que el dispositivo no está transmitiendo, entra en suspensión de inmediato.</translation>
    </message>
    <message>
        <source>When the KESTRO OrlaCam software is not in use, it will enter the sleep mode after the following time.</source>
        <translation>Si el software KESTRO OrlaCam no está en uso, entra en suspensión tras el siguiente tiempo.</translation>
    </message>
    <message>
        <source>30 s</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>2 min</source>
        <translation>2 min</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>Camera Setting</source>
        <translation>Ajustes de la cámara</translation>
    </message>
    <message>
        <source>Button Configuration</source>
        <translation>Configuración del botón</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Predeterminado</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotación</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>Reducción de ruido</translation>
    </message>
    <message>
        <source>Virtual Background</source>
        <translation>Fondo virtual</translation>
    </message>
    <message>
        <source>Global Hotkeys</source>
        <translation>Atajos globales</translation>
    </message>
    <message>
        <source>Remote Controller</source>
        <translation>Mando a distancia</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Español</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Más</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Consejos</translation>
    </message>
    <message>
        <source>Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.</source>
        <translation>Cierre durante la actualización todas las aplicaciones que puedan usar KESTRO Orla u Orla 4K, como OBS Studio, Zoom, Skype, Google Meet, etc.</translation>
    </message>
    <message>
        <source>The Virtual Background features are now in beta version and will give further updates to polish the effect.</source>
        <translation>Las funciones de fondo virtual están en versión beta; próximas actualizaciones mejorarán el efecto.</translation>
    </message>
    <message>
        <source>Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to </source>
        <translation>¡Solo compatible con el 「mando a distancia KESTRO Orla」! Para comprarlo, visite </translation>
    </message>
    <message>
        <source>The remote control keys may conflict with some software shortcuts keys. In case of conflict, please turn off or change other software shortcuts keys.
</source>
        <translation>Las teclas del mando pueden entrar en conflicto con atajos de otros programas. En ese caso, desactive o cambie esos atajos.
</translation>
    </message>
    <message>
        <source>For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」</source>
        <translation>Por ejemplo, el atajo de 「Rotación de pantalla」 del 「Intel ® Graphics Control Centre」</translation>
    </message>
</context>
<context>
    <name>ButtonModeHelp</name>
    <message>
        <source>Button Mode Description</source>
        <translation>Descripción de los modos del botón</translation>
    </message>
    <message>
        <source>| Default</source>
        <translation>| Predeterminado</translation>
    </message>
    <message>
        <source>| Rotation</source>
        <translation>| Rotación</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>Clic</translation>
    </message>
    <message>
        <source>Double Click</source>
        <translation>Doble clic</translation>
    </message>
    <message>
        <source>Long press for 3 seconds</source>
        <translation>Mantener pulsado 3 segundos</translation>
    </message>
    <message>
        <source>Turn on/off auto-framing</source>
        <translation>Activar/desactivar el encuadre automático</translation>
    </message>
    <message>
        <source>Turn on/off virtual background  (blur/green screen/replacement)</source>
        <translation>Activar/desactivar el fondo virtual (desenfoque/pantalla verde/reemplazo)</translation>
    </message>
    <message>
        <source>Sleep/Wake up the device</source>
        <translation>Suspender/activar el dispositivo</translation>
    </message>
    <message>
        <source>Switch to next mode in the following order: standard-&gt;auto-framing-&gt;virtual background</source>
        <translation>Pasa al modo siguiente en este orden: estándar-&gt;encuadre automático-&gt;fondo virtual</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
</context>
<context>
    <name>ButtonMode</name>
    <message>
        <source>Default</source>
        <translation>Predeterminado</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotación</translation>
    </message>
</context>
<context>
    <name>AntiFlicker</name>
    <message>
        <source>Anti-Flicker</source>
        <translation>Antiparpadeo</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivado</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
</context>
<context>
    <name>ForMoreUi</name>
    <message>
        <source>More</source>
        <translation>Más</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>Exportar registro</translation>
    </message>
    <message>
        <source>Upgrade Manual</source>
        <translation>Manual de actualización</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>Actualizar firmware</translation>
    </message>
    <message>
        <source>Restore Factory Settings</source>
        <translation>Restaurar de fábrica</translation>
    </message>
</context>
<context>
    <name>HotKeyList</name>
    <message>
        <source>Hotkeys List</source>
        <translation>Lista de atajos</translation>
    </message>
    <message>
        <source>Global/Local shortcut switch</source>
        <translation>Atajos globales/locales</translation>
    </message>
    <message>
        <source>Device 1</source>
        <translation>Dispositivo 1</translation>
    </message>
    <message>
        <source>Device 2</source>
        <translation>Dispositivo 2</translation>
    </message>
    <message>
        <source>Device 3</source>
        <translation>Dispositivo 3</translation>
    </message>
    <message>
        <source>Device 4</source>
        <translation>Dispositivo 4</translation>
    </message>
    <message>
        <source>Direction reset</source>
        <translation>Restablecer dirección</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Acercar</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Alejar</translation>
    </message>
    <message>
        <source>Zoom max</source>
        <translation>Zoom máximo</translation>
    </message>
    <message>
        <source>Zoom min</source>
        <translation>Zoom mínimo</translation>
    </message>
    <message>
        <source>View move up</source>
        <translation>Mover vista arriba</translation>
    </message>
    <message>
        <source>View move down</source>
        <translation>Mover vista abajo</translation>
    </message>
    <message>
        <source>View move left</source>
        <translation>Mover vista a la izquierda</translation>
    </message>
    <message>
        <source>View move right</source>
        <translation>Mover vista a la derecha</translation>
    </message>
    <message>
        <source>Device Sleep/Resume</source>
        <translation>Suspender/reanudar dispositivo</translation>
    </message>
    <message>
        <source>View 65°</source>
        <translation>Vista 65°</translation>
    </message>
    <message>
        <source>View 78°</source>
        <translation>Vista 78°</translation>
    </message>
    <message>
        <source>View 86°</source>
        <translation>Vista 86°</translation>
    </message>
    <message>
        <source>Virtual background: blur</source>
        <translation>Fondo virtual: desenfoque</translation>
    </message>
    <message>
        <source>Virtual background: green screen</source>
        <translation>Fondo virtual: pantalla verde</translation>
    </message>
    <message>
        <source>Virtual background: replacement</source>
        <translation>Fondo virtual: reemplazo</translation>
    </message>
    <message>
        <source>Auto framing: single mode</source>
        <translation>Encuadre automático: individual</translation>
    </message>
    <message>
        <source>Auto framing: group mode</source>
        <translation>Encuadre automático: grupo</translation>
    </message>
    <message>
        <source>Standard mode</source>
        <translation>Modo estándar</translation>
    </message>
</context>
<context>
    <name>UvcPatchUpgrade</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Advertencia:
1 No desconecte el dispositivo durante la actualización; de lo contrario, podría dañarse.
2 Cierre todas las aplicaciones que puedan usar el dispositivo durante la actualización, como OBS Studio, Zoom, Skype y Google Meet, etc.
</translation>
    </message>
    <message>
        <source>Warning: Please close any other programs that might use device!</source>
        <translation>Advertencia: cierre cualquier otro programa que pueda usar el dispositivo.</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>La actualización ha fallado; inténtelo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>The ugprade package is out of date.</source>
        <translation>El paquete de actualización está obsoleto.</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>¡Actualización correcta!</translation>
    </message>
</context>
<context>
    <name>ImageItem</name>
    <message>
        <source>Preview</source>
        <translation>Vista previa</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
</context>
<context>
    <name>ImageCrop</name>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>QHotkey</name>
    <message>
        <source>Failed to register %1. Error: %2</source>
        <translation>No se pudo registrar %1. Error: %2</translation>
    </message>
    <message>
        <source>Failed to unregister %1. Error: %2</source>
        <translation>No se pudo anular el registro de %1. Error: %2</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>Downloading Firmware</source>
        <translation>Descargando firmware</translation>
    </message>
    <message>
        <source>Download error!</source>
        <translation>¡Error de descarga!</translation>
    </message>
    <message>
        <source>%1MB/s - %2MB, total %3MB</source>
        <translation>%1MB/s - %2MB, total %3MB</translation>
    </message>
    <message>
        <source>Download timeout, please try again later!</source>
        <translation>Tiempo de descarga agotado, inténtelo de nuevo más tarde.</translation>
    </message>
</context>
<context>
    <name>UpgradeProgress</name>
    <message>
        <source>Start to upgrade. Please do not disconnect!</source>
        <translation>Comienza la actualización. ¡No desconecte el dispositivo!</translation>
    </message>
    <message>
        <source>Warning: Do not disconnect the device during upgrade, otherwise the device will crash!</source>
        <translation>Advertencia: no desconecte el dispositivo durante la actualización o quedará inservible.</translation>
    </message>
    <message>
        <source>Upgrade successfully!</source>
        <translation>¡Actualización completada!</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>La actualización ha fallado, inténtelo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>No response from device for a long time, please restart device and try again!</source>
        <translation>El dispositivo no responde desde hace tiempo; reinícielo e inténtelo de nuevo.</translation>
    </message>
</context>
<context>
    <name>UvcUpgradeProgress</name>
    <message>
        <source>Warning:
1 Do not disconnect the device during upgrade, otherwise the device will crash!
2 Please make sure that you close all applications that may use device during upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.
</source>
        <translation>Advertencia:
1 No desconecte el dispositivo durante la actualización o quedará inservible.
2 Cierre todas las aplicaciones que puedan usar el dispositivo durante la actualización, como OBS Studio, Zoom, Skype o Google Meet.
</translation>
    </message>
    <message>
        <source>Upgrade failed, please try again later.</source>
        <translation>La actualización ha fallado, inténtelo de nuevo más tarde.</translation>
    </message>
</context>
</TS>
