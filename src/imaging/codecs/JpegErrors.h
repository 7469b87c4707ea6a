#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's error handling, shared by the decoder and the encoder. Internal to
// the JPEG files.
namespace pixmoth::jpeg {

// Rows handed to libjpeg per call; more rows per call mean fewer calls.
constexpr int kRowsPerCall = 16;

// libjpeg reports a fatal error through a callback that must not return. It
// jumps back into Guarded, which turns the error into a return value; the C++
// code around it then throws. No C++ frame with a destructor lies between the
// setjmp and the jump.
struct ErrorManager {
    jpeg_error_mgr base; // first: libjpeg only knows the pointer to this
    std::jmp_buf jump;
    const char* ownMessage; // when set, replaces libjpeg's text
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& ErrorOf(j_common_ptr info);

// Fatal errors jump back to Guarded; warnings (damaged or missing data) are
// counted, not printed, and are not fatal: the picture shows what could be
// decoded.
void InstallErrorManager(ErrorManager& error);

// Runs `step` (calls into libjpeg and plain pointer work only: nothing with a
// destructor, nothing that throws) and returns false when libjpeg gave up.
template <typename Step>
bool Guarded(ErrorManager& error, Step&& step) {
    if (setjmp(error.jump) != 0) {
        return false;
    }
    step();
    return true;
}

[[noreturn]] void ThrowJpegError(const ErrorManager& error);

} // namespace pixmoth::jpeg
