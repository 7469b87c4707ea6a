#include "document/PicturePrinter.h"

#include <algorithm>

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include "document/PictureImage.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

int PrintFactor(int printerDpi, int screenDpi) {
    if (screenDpi <= 0) {
        return 1;
    }
    return std::max(1, printerDpi / screenDpi);
}

void SetUpPrinter(QPrinter& printer) {
    printer.setFullPage(false);
    // Qt's own margins are wider than most printers need; the picture starts
    // where the printer can first print.
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

void PrintPicture(QPrinter& printer, const Bitmap& picture, int screenDpiX, int screenDpiY) {
    const QString destination =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (destination.isEmpty()) {
        throw Error("There is no printer to print on. Choose one in Print dialog, or print to a "
                    "PDF file there.");
    }
    const QImage image = ToImage(picture);
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw Error("Printing on \"" + destination.toStdString() + "\" could not start.");
    }
    const int factorX = PrintFactor(printer.logicalDpiX(), screenDpiX);
    const int factorY = PrintFactor(printer.logicalDpiY(), screenDpiY);
    // The painter's origin is the corner of the printable area. Each pixel
    // becomes a sharp block of dots, not a smoothed one.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!image.isNull()) {
        painter.drawImage(QRect(0, 0, image.width() * factorX, image.height() * factorY), image);
    }
    if (!painter.end()) {
        throw Error("The picture could not be printed on \"" + destination.toStdString() + "\".");
    }
}

} // namespace pixmoth
