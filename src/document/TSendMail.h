#pragma once

#include <QString>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// Hands one mail with one attachment to the desktop's mail program and reports
// the outcome in a box. A plain object without state: one per mail.
class TSendMail {
public:
    // The mail program opens its compose window with the message filled in; the
    // user edits and sends it there. The program keeps running meanwhile: the
    // result box comes when the mail program has answered. xdg-email always
    // shows the compose window, so `showDialog` cannot turn it off.
    void SendMail(const QString& subject, const QString& noteText, const QString& originatorName,
                  const QString& originatorAddress, const QString& recipientName,
                  const QString& recipientAddress, const QString& attachmentPath,
                  const QString& attachmentName, bool showDialog, bool reportSuccess);

    // The box for a Simple MAPI result code, shown from the event loop (it may
    // be called on any thread); results without a text show nothing, and
    // success only when it is to be reported.
    static void ReportResult(int result, bool reportSuccess);
};

// `picture` as a JPEG file of its own, for a picture without a file; its path.
// It is kept after the program ends, since the mail program may read it any
// time until the mail is sent.
QString SaveMailAttachment(const Bitmap& picture);

} // namespace pixmoth
