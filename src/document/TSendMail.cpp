#include "document/TSendMail.h"

#include <QDir>
#include <QTemporaryDir>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PictureFile.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/QtPaths.h"
#include "platform/SimpleMail.h"

namespace pixmoth {

namespace {

struct ResultText {
    int result;
    Interaction::Kind kind;
    const char* text; // UTF-8, trailing blanks as the program has always shown them
};

const ResultText kResultTexts[] = {
    {0, Interaction::Kind::Information, "Done! "},
    {1, Interaction::Kind::Warning, "User interupted or MAPI not installed"},
    {2, Interaction::Kind::Error, "Unknown failure"},
    {3, Interaction::Kind::Error, "User login failed (eg. Outlook login) "},
    {5, Interaction::Kind::Error, "Not enough memory "},
    {9, Interaction::Kind::Error, "Too many attachments"},
    {10, Interaction::Kind::Error, "Too many recipients"},
    {11, Interaction::Kind::Error, "Attachment not found! "},
    {12, Interaction::Kind::Error, "Could not open attachment! "},
    {14, Interaction::Kind::Error,
     "Empfänger nicht in Adressbuch gefunden. (Nur möglich, wenn Emailadresse nicht "
     "angegeben.)"},
    {15, Interaction::Kind::Error, "Recipent type not MAPI_TO, MAPI_CC or MAPI_BCC!"},
    {18, Interaction::Kind::Error, "Too much text"},
    {21, Interaction::Kind::Warning, "Recipient not unequivocal!"},
};

} // namespace

void TSendMail::SendMail(const QString& subject, const QString& noteText,
                         const QString& originatorName, const QString& originatorAddress,
                         const QString& recipientName, const QString& recipientAddress,
                         const QString& attachmentPath, const QString& attachmentName,
                         bool /*showDialog*/, bool reportSuccess) {
    const MailMessage message{subject.toStdString(),        noteText.toStdString(),
                              originatorName.toStdString(), originatorAddress.toStdString(),
                              recipientName.toStdString(),  recipientAddress.toStdString(),
                              ToNative(attachmentPath),     ToNative(attachmentName)};
    const ProgramCall call = XdgEmailCall(message);
    // The mail program may keep xdg-email waiting until its window closes; the
    // answer arrives from another thread.
    CurrentEnvironment().StartWatched(
        call.program, call.arguments, [reportSuccess](int exitStatus) {
            ReportResult(MapiResultOfXdgEmail(exitStatus), reportSuccess);
        });
}

void TSendMail::ReportResult(int result, bool reportSuccess) {
    if (result == kMapiSuccess && !reportSuccess) {
        return;
    }
    for (const ResultText& entry : kResultTexts) {
        if (entry.result == result) {
            TellLater(entry.kind, QString::fromUtf8(entry.text));
            return;
        }
    }
}

QString SaveMailAttachment(const Bitmap& picture) {
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/Pixmoth-mail-XXXXXX"));
    if (!folder.isValid()) {
        throw Error("No folder for the mail's attachment could be made in " +
                    ToNative(QDir::tempPath()) + ": " + folder.errorString().toStdString());
    }
    folder.setAutoRemove(false);
    const QString path = folder.path() + QStringLiteral("/Picture.jpg");
    SavePicture(picture, ToNative(path));
    return path;
}

} // namespace pixmoth
