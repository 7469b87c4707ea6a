#pragma once

#include <string>

#include "platform/Environment.h"

namespace pixmoth {

// One mail with one attachment, handed to the desktop's mail program, which
// opens its compose window with everything filled in.
struct MailMessage {
    std::string subject;
    std::string noteText;
    std::string originatorName;
    std::string originatorAddress;
    std::string recipientName;
    std::string recipientAddress;
    std::string attachmentPath;
    std::string attachmentName;
};

// The xdg-email call for `message`. xdg-email has no sender and no name of an
// attachment of its own: the mail program fills in the user's address, and the
// attachment keeps its file's name. Empty fields are left out.
ProgramCall XdgEmailCall(const MailMessage& message);

// Simple MAPI result codes the mail command reports.
constexpr int kMapiSuccess = 0;
constexpr int kMapiUserAbort = 1;
constexpr int kMapiFailure = 2;
constexpr int kMapiAttachmentNotFound = 11;

// The result for xdg-email's exit status: 0 success; 2 (a file it was given
// does not exist) attachment not found; 3 (no mail program) and -1 (xdg-email
// itself missing) as if Simple MAPI were not installed; anything else failure.
int MapiResultOfXdgEmail(int exitStatus);

} // namespace pixmoth
