#include "platform/SimpleMail.h"

namespace pixmoth {

ProgramCall XdgEmailCall(const MailMessage& message) {
    // Texts and names are UTF-8 whatever the locale says.
    ProgramCall call{"xdg-email", {"--utf8"}};
    const auto add = [&call](const char* option, const std::string& value) {
        if (!value.empty()) {
            call.arguments.insert(call.arguments.end(), {option, value});
        }
    };
    add("--subject", message.subject);
    add("--body", message.noteText);
    add("--attach", message.attachmentPath);
    if (!message.recipientAddress.empty()) {
        call.arguments.push_back(message.recipientAddress);
    }
    return call;
}

int MapiResultOfXdgEmail(int exitStatus) {
    switch (exitStatus) {
    case 0:
        return kMapiSuccess;
    case 2:
        return kMapiAttachmentNotFound;
    case -1:
    case 3:
        return kMapiUserAbort;
    default:
        return kMapiFailure;
    }
}

} // namespace pixmoth
