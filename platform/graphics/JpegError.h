#pragma once
// libjpeg's error handling for the platform's JPEG reader and writer: a fatal error jumps back to
// the caller's setjmp with the library's message kept, and warnings are not printed.
//
//     JpegError error;
//     info.err = error.install();
//     if (setjmp(error.jump)) { /* clean up; error.message says why */ }

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace ios {

// The error manager comes first, so the library's pointer to it is a pointer to the whole.
struct JpegError {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};

    jpeg_error_mgr* install() {
        jpeg_std_error(&manager);
        manager.error_exit = [](j_common_ptr info) {
            auto* error = reinterpret_cast<JpegError*>(info->err);
            info->err->format_message(info, error->message);
            std::longjmp(error->jump, 1);
        };
        manager.output_message = [](j_common_ptr) {};
        return &manager;
    }
};

}  // namespace ios
