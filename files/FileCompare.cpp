#include "files/FileCompare.h"

#include <QStringList>
#include <algorithm>

#include "files/FileCommands.h"
#include "files/MemoryFileIo.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"
#include "view/Unit2.h"

namespace {
const QString kHeaderMemoria = QStringLiteral("DATO MEMORIA");
const QString kHeaderArchivo = QStringLiteral("DATO ARCHIVO");
}  // namespace

FileCompare::FileCompare(TForm2& form2, const AddressGridModel& imagen, const NumberFormat& formato,
                         Dialogs& dialogs, QWidget* helpWindow)
    : form2_(form2),
      imagen_(imagen),
      formato_(formato),
      dialogs_(dialogs),
      helpWindow_(helpWindow) {}

void FileCompare::BitBtn3Click() {
    AddressGridModel& grid = form2_.grid;
    form2_.setHeaders(kHeaderMemoria, kHeaderArchivo);
    form2_.show();
    form2_.raise();
    const auto rows = static_cast<std::size_t>(form2_.rowsCompared());
    const std::vector<QString>& memory = imagen_.column(TForm2::kFirstColumn);
    grid.updateColumn(TForm2::kFirstColumn, [&](std::vector<QString>& texts) {
        std::copy(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(rows),
                  texts.begin());
    });
    form2_.organiza();
    archivo();
    form2_.malas();
    form2_.explain(TForm2::kFirstColumn);
    form2_.offerDifferences(QStringLiteral("en el archivo"));
    // In front, where the count's box may have left it behind.
    form2_.raise();
    form2_.activateWindow();
}

void FileCompare::archivo() {
    const auto path = dialogs_.openFileName(kOpenDialog);
    if (!path) return;
    AddressGridModel& grid = form2_.grid;
    grid.clearColumn(TForm2::kSecondColumn, 1, form2_.rowsCompared());
    const memory_file::Contents file = memory_file::read(*path);
    if (file.lineTooLong) {
        // No memory file: the compare ends here, as for a file that cannot
        // be read, without counting against an empty column.
        dialogs_.message(kErrorEnElArchivo);
        throw Cancelled();
    }
    if (file.marker != memory_file::Marker::None &&
        file.lines.constFirst() != QString(formato_.letra)) {
        dialogs_.message(kNoPosibleComparar);
        form2_.organiza();
        return;
    }
    grid.updateColumn(TForm2::kSecondColumn, [&](std::vector<QString>& texts) {
        if (texts.size() < file.keptDataLines()) texts.resize(file.keptDataLines());
        for (std::size_t a = 0; a < file.keptDataLines(); ++a) texts[a] = file.data(a);
    });
    if (helpWindow_) helpWindow_->setWindowTitle(kCaptionComparado + memory_file::nameOf(*path));
}
