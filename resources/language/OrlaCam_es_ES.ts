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
    <name>MainUserUi</name>
    <message>
        <source>Camera access</source>
        <translation>Acceso a la cámara</translation>
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
</TS>
