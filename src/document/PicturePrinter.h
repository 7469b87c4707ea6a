#pragma once

#include "imaging/bitmap/Bitmap.h"

class QPrinter;

namespace pixmoth {

// Printer dots per picture pixel along one axis: the printer's resolution over
// the screen's, the remainder dropped, so a picture prints about as large as
// the screen shows it. At least 1: a printer coarser than the screen prints one
// dot per pixel rather than an empty page.
int PrintFactor(int printerDpi, int screenDpi);

// Prints `picture` at once as one page on `printer`: each pixel a block of
// PrintFactor dots, from the top-left corner of the printable area, cut off
// where the page ends. The job is ended also when drawing fails. Throws an Error
// when the job cannot start or cannot be handed over.
void PrintPicture(QPrinter& printer, const Bitmap& picture, int screenDpiX, int screenDpiY);

// The program's printer as it starts out: the system's default printer (or the
// first one) at its own resolution, the printable area as large as the printer
// allows. Print dialog changes it; later prints use the changes.
void SetUpPrinter(QPrinter& printer);

} // namespace pixmoth
