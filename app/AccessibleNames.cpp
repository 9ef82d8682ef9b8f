#include "app/AccessibleNames.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/MainLayout.h"
#include "operations/ProgressLine.h"
#include "view/ChecksumLine.h"
#include "view/DataGrid.h"

namespace {
struct Naming {
    QWidget* control;
    const char* name;  // empty: the control's own text is its name
    const char* description;
};

void apply(const Naming& naming) {
    if (*naming.name) naming.control->setAccessibleName(QString::fromUtf8(naming.name));
    if (*naming.description)
        naming.control->setAccessibleDescription(QString::fromUtf8(naming.description));
}
}  // namespace

void nameControls(const Form1Controls& c) {
    const Naming table[] = {
        {c.m, "Imagen de memoria", "Una fila por dirección: la dirección y su dato"},
        {c.Panel1, "Programación manual", ""},
        {c.Pdirm, "Dirección de programación manual", ""},
        {c.PDatm, "Dato de programación manual", ""},
        {c.BitBtn4, "Programar una dirección",
         "Graba el dato de programación manual en su dirección"},
        {c.Panel3, "Lectura manual", ""},
        {c.ldirm, "Dirección de lectura manual", ""},
        {c.ldatm, "Dato de lectura manual", ""},
        {c.BitBtn6, "Leer una dirección", "Lee la dirección de lectura manual"},
        {c.Panel2, "Programación por lote", ""},
        {c.PLOT1, "Dirección1 de programación por lote", "La primera dirección del lote"},
        {c.PLOT2, "Dirección2 de programación por lote", "La última dirección del lote"},
        {c.BitBtn5, "Programar por lote", "Graba los datos de la tabla entre las dos direcciones"},
        {c.Panel4, "Lectura por lote", ""},
        {c.LLOT1, "Dirección1 de lectura por lote", "La primera dirección del lote"},
        {c.LLOT2, "Dirección2 de lectura por lote", "La última dirección del lote"},
        {c.BitBtn7, "Leer por lote",
         "Lee las direcciones entre las dos dadas y las pone en la tabla"},
        {c.Panel5, "Llenar con", ""},
        {c.Edit3, "Dato a cargar para llenar la memoria", ""},
        {c.BitBtn9, "Programar el llenado de la memoria", "Graba el mismo dato en toda la memoria"},
        {c.Panel6, "Programación por lote con dato", ""},
        {c.DL, "Dato a cargar de programación por lote con dato", ""},
        {c.DIL1, "Dirección1 de programación por lote con dato", "La primera dirección del lote"},
        {c.DIL2, "Dirección2 de programación por lote con dato", "La última dirección del lote"},
        {c.BitBtn10, "Programar por lote con dato",
         "Graba el mismo dato entre las dos direcciones"},
        {c.BitBtn1, "Programar todo: la memoria completa", "Graba todos los datos de la tabla"},
        {c.BitBtn2, "Leer todo: la memoria completa",
         "Lee la memoria completa y la pone en la tabla"},
        {c.BitBtn3, "Comparar con archivo", "Compara la tabla con un archivo de memoria"},
        {c.BitBtn11, "Limpia matriz: vacía la tabla",
         "Borra la columna de datos sin tocar la memoria"},
        {c.ch, "Verificar al programar", "Lee cada dato después de grabarlo"},
        {c.Panel8, "Panel de reintentos", ""},
        {c.Edit2, "Reintentos", "Cuántas veces se vuelve a grabar un dato que no se leyó igual"},
        {c.BitBtn8, "Salir del programa", ""},
        {c.Panel7, "", "Estado del programador"},
        {c.sumas, "", "Sumas de control de la imagen"},
        {c.programador, "", "Programador en uso"},
        {c.progreso, "Progreso de la operación", ""},
        {c.progreso->bar, "Progreso", "Parte hecha de la operación en curso"},
        {c.progreso->cancelar, "Cancelar la operación",
         "Detiene la operación en curso, como la tecla ESC"},
    };
    for (const Naming& naming : table) apply(naming);
}
