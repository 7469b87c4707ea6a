#include "imaging/codecs/JpegErrors.h"

#include <jerror.h>

#include "imaging/bitmap/Error.h"

namespace pixmoth::jpeg {

namespace {

[[noreturn]] void ExitOnError(j_common_ptr info) {
    ErrorManager& error = ErrorOf(info);
    if (error.ownMessage == nullptr && info->err->msg_code == JERR_NO_BACKING_STORE) {
        // libjpeg asks for a temporary file when the memory limit is reached.
        error.ownMessage = "The JPEG picture needs more working memory than allowed (1 GB)";
    }
    if (error.ownMessage == nullptr) {
        (*info->err->format_message)(info, error.message);
    }
    std::longjmp(error.jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {
        ++info->err->num_warnings;
    }
}

} // namespace

ErrorManager& ErrorOf(j_common_ptr info) {
    return *reinterpret_cast<ErrorManager*>(info->err);
}

void InstallErrorManager(ErrorManager& error) {
    jpeg_std_error(&error.base);
    error.base.error_exit = ExitOnError;
    error.base.emit_message = OnMessage;
    error.ownMessage = nullptr;
    error.message[0] = '\0';
}

void ThrowJpegError(const ErrorManager& error) {
    throw Error(error.ownMessage != nullptr ? error.ownMessage : error.message);
}

} // namespace pixmoth::jpeg
