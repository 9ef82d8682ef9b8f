#pragma once

#include <QString>
#include <cstdint>

// The command line's own texts; the window's come from their own units.
namespace cli {

inline const QString kUso = QStringLiteral("programador-cli [opciones] ORDEN [argumentos]");

inline const QString kAyuda = QStringLiteral(
    "Uso: programador-cli [opciones] ORDEN [argumentos]\n"
    "Lee, programa y verifica memorias paralelas con el programador USB.\n"
    "\n"
    "Opciones:\n"
    "  -t, --tipo TIPO        sram24 | sram28 | 28c64 | 27c512 | 27c010 (o el nombre del menú)\n"
    "  --desde A, --hasta B   rango de direcciones; por omisión toda la memoria\n"
    "                         (decimal, o hexadecimal con 0x)\n"
    "  --formato F            bin | hex | srec | mem; por omisión, el de la extensión\n"
    "  --desplazamiento N     suma N (con signo) a las direcciones del archivo\n"
    "  --carril K/N           la dirección a de la memoria lleva el byte a·N+K de la imagen\n"
    "                         (N = 2 o 4; par = 0/2, impar = 1/2)\n"
    "  --intercambiar         intercambia los bytes de cada palabra de 16 bits\n"
    "  --rellenar XX          programa y compara también los huecos del rango con XX\n"
    "  --conservar            con leer: el archivo guarda sus otras direcciones (una placa\n"
    "                         leída carril a carril)\n"
    "  --sin-verificar        programar sin leer lo grabado\n"
    "  --completa             programar cada dirección que da la imagen, aunque ya tenga su\n"
    "                         byte; sin ella, las PROM no graban FF y la EEPROM graba solo\n"
    "                         lo que difiere (todo se verifica igual)\n"
    "  --reintentos N         reintentos tras una verificación fallida (por omisión 1)\n"
    "  --sin-comprobar        programar una PROM sin leerla antes (si no admite la imagen,\n"
    "                         se rechaza sin escribir nada)\n"
    "  --sin-zocalo           sin la comprobación del zócalo: por omisión, antes de leer,\n"
    "                         programar o llenar se lee dos veces una muestra (y en una\n"
    "                         RAM se prueban patrones donde se va a escribir); si la\n"
    "                         memoria no está o no responde, sale con 4 sin empezar\n"
    "  --virtual[=ARCHIVO]    el programador emulado; con ARCHIVO, su memoria es ese archivo\n"
    "                         (bytes sin formato): cada escritura llega a él. Repetida con\n"
    "                         varios archivos, un programador emulado por archivo\n"
    "                         (VIRTUAL-1, VIRTUAL-2...)\n"
    "  --sin-pausa            con --virtual: sin la pausa de 1 ms por informe\n"
    "  --fallo-virtual K:F    con --virtual: el programador emulado K falla; F = inestable\n"
    "                         (lee a veces un bit cambiado), mudo o desconecta=N (en el\n"
    "                         informe N); o su memoria: vacio (sin memoria, bus flotante),\n"
    "                         vacio-ff (sin memoria, bus en alto), menor=B (solo B líneas\n"
    "                         de dirección), bit=D:V (línea de datos D pegada a V) o\n"
    "                         protegida (no acepta escrituras)\n"
    "  -q, --silencioso       sin progreso\n"
    "  -d, --dispositivo X    el programador que se usa: número de serie, ruta hidraw o\n"
    "                         puerto USB (vea dispositivos); hace falta si hay varios\n"
    "  --todos                la orden en todos los programadores a la vez\n"
    "  --lote                 una memoria tras otra: tras cada una se pregunta en la\n"
    "                         terminal por la siguiente (q para terminar)\n"
    "  --serie D,B,I[,P][,F]  con programar: escribe un número de serie de B bytes en la\n"
    "                         dirección D, desde I y de P en P; F = le (por omisión), be,\n"
    "                         bcd, ascii o asciihex\n"
    "  --contador ARCHIVO     guarda el siguiente número de serie; solo avanza con una\n"
    "                         memoria verificada correcta\n"
    "  --base DESTINO         registro y números de serie en una base: ARCHIVO.sqlite (un\n"
    "                         puesto) o postgresql://… (una línea de puestos); cada número\n"
    "                         se reserva, se graba y se confirma con la línea de su memoria\n"
    "  --secuencia NOMBRE     con --base: la serie de números (por omisión, el nombre del\n"
    "                         trabajo, o \"serie\")\n"
    "  --json                 líneas JSON en la salida estándar, cada una con \"esquema\": 1\n"
    "                         y su \"evento\": inicio (orden, tipo, programadores),\n"
    "                         progreso (programador, porcentaje, estado; hasta diez por\n"
    "                         segundo), memoria (una por memoria, con las columnas del\n"
    "                         registro) y fin (salida); los mensajes siguen en la salida\n"
    "                         de errores\n"
    "  --trabajo ARCHIVO      toma tipo, imagen y opciones de un archivo de trabajo; las\n"
    "                         opciones dadas aquí mandan (--verificar, --rapida y\n"
    "                         --comprobar deshacen un \"no\" del trabajo)\n"
    "  --lecturas N           con leer: lee el rango N veces y compara las lecturas\n"
    "  --identificar          con leer: dice también qué ROM es lo leído (vea identificar)\n"
    "  --dat CATALOGO         con identificar o leer --identificar: un catálogo de ROM\n"
    "                         (Logiqx .dat, lista XML de MAME, o un .zip con uno); se\n"
    "                         repite para varios; por omisión, los de\n"
    "                         ~/.local/share/programador/catalogos\n"
    "  --roms CARPETA         con identificar o leer --identificar: sin coincidencia\n"
    "                         exacta, busca en CARPETA\n"
    "                         (archivos y zips) la ROM del mismo tamaño más parecida, y lo\n"
    "                         dice como suposición\n"
    "  --operario NOMBRE      el operario del registro; por omisión, el usuario\n"
    "  --registro ARCHIVO     añade una línea CSV por memoria\n"
    "  --diferencias ARCHIVO  escribe también la lista completa de diferencias\n"
    "  --informe ARCHIVO      con sondeo: escribe también el informe\n"
    "  -h, --help             esta ayuda\n"
    "  --version              versión y licencia\n"
    "\n"
    "Órdenes:\n"
    "  leer ARCHIVO           lee el rango en ARCHIVO (\"-\" = salida estándar), en las\n"
    "                         direcciones del archivo: un binario lleva FF antes del rango\n"
    "                         (--desplazamiento DESDE lo deja al principio)\n"
    "  programar ARCHIVO      programa el rango desde ARCHIVO (\"-\" = entrada estándar),\n"
    "                         verificando cada byte\n"
    "  verificar ARCHIVO      lee y compara con ARCHIVO; lista las diferencias\n"
    "  borrado                comprueba que la memoria esté borrada (EEPROM y PROM)\n"
    "  llenar DATO            programa DATO en todo el rango\n"
    "  tipos                  lista los tipos de memoria con su tamaño\n"
    "  info ARCHIVO           tramos, bytes y sumas de una imagen, sin programador\n"
    "  analizar ARCHIVO       lo que dicen los bytes de una lectura, sin programador: bits\n"
    "                         fijos, líneas de dirección que no cambian nada (la imagen se\n"
    "                         repite), zonas vacías (FF) o en cero; son avisos: sale con 0\n"
    "  identificar ARCHIVO    qué ROM es la imagen según los catálogos, sin programador: la\n"
    "                         imagen entera, sus mitades y cuartos, sus carriles (2 y 4) y\n"
    "                         sus bytes intercambiados, por tamaño, CRC-32 y SHA-1; sale con\n"
    "                         0 si algo coincide y con 1 si nada\n"
    "  sondeo                 comprueba el enlace con un programador real\n"
    "  dispositivos           lista los programadores: ruta, puerto USB, número de serie,\n"
    "                         si se pueden abrir y si otro programa los usa\n"
    "  estadisticas [REGISTRO.csv]  rendimiento por trabajo, lote, operario, programador y\n"
    "                         día, y los fallos por diagnóstico y por primera diferencia\n"
    "                         (Pareto), de un registro o de --base; --json, en líneas JSON\n"
    "  trabajo ARCHIVO [IMAGEN]  guarda el tipo, las opciones y la imagen en un trabajo\n"
    "                         (solo sobre un trabajo; nunca sobre su imagen); con --sellar,\n"
    "                         con un sello (SHA-256 de sus ajustes y de su imagen) que\n"
    "                         --trabajo comprueba, y que no deja cambiar ningún ajuste\n"
    "\n"
    "Registro: una línea por memoria con las columnas fecha (ISO 8601 con su huso), tipo,\n"
    "orden, rango, crc32 (de la imagen), resultado (correcto, sin verificar, difiere,\n"
    "interrumpido, no responde o error), diferencias, segundos, lote, secuencia, serie,\n"
    "operario, equipo, version, programador, imagen, modo, verificacion, reintentos (usados),\n"
    "comprobacion, primera_diferencia, diagnostico y trabajo (el sello del trabajo). Un\n"
    "registro empezado con menos columnas (las ocho primeras, o sin trabajo) sigue con ellas.\n"
    "\n"
    "Salida: 0 correcto (con --todos o --lote, todas las memorias), 1 una memoria difiere,\n"
    "2 uso o archivo no válido, 3 sin programador, sin permiso, sin respuesta o en uso por\n"
    "otro programa, 4 la memoria no está o no responde (comprobación del zócalo), 130\n"
    "interrumpido (Ctrl+C, SIGTERM o SIGHUP).\n");

inline const QString kNoHayProgramador =
    QStringLiteral("No se encontró el programador (USB 1234:0001). Revise Conexion USB.");
inline const QString kFaltaTipo =
    QStringLiteral("Falta el tipo de memoria: -t sram24 | sram28 | 28c64 | 27c512 | 27c010");

// A text from a file or an argument as a message may show it: control
// characters written as \xNN, so that none moves the terminal's cursor.
QString shown(const QString& text);
// A message that starts with a name: its first letter in upper case.
QString capitalized(const QString& text);
// A path in a message: "-" is the standard stream, any other its text shown.
QString pathShown(const QString& path, const QString& standard);
// "0x03FF": an address of a memory whose last address is maxdir.
QString hexAddress(std::uint64_t address, std::uint32_t maxdir);
// "0x5A".
QString hexByte(std::uint32_t value);
// "1 dirección", "2 direcciones".
QString counted(std::uint64_t count, const char* one, const char* many);
// "8 min 12 s", "3,2 s": how long a run took.
QString spokenDuration(std::int64_t nanoseconds);

}  // namespace cli
