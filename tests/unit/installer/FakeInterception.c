/* A stand-in with the Interception library's exports, linked by the mingw compilers into the real
   PE files the export reader is tested on. -DLEAVE_OUT_HARDWARE_ID drops one export. */
#define EXPORT(name, n)                                                                                      \
    __declspec(dllexport) int name(void) {                                                                   \
        return n;                                                                                            \
    }

int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved) {
    (void)module, (void)reason, (void)reserved;
    return 1;
}

EXPORT(interception_create_context, 1)
EXPORT(interception_destroy_context, 2)
EXPORT(interception_set_filter, 3)
EXPORT(interception_wait_with_timeout, 4)
EXPORT(interception_receive, 5)
EXPORT(interception_send, 6)
EXPORT(interception_is_keyboard, 7)
EXPORT(interception_is_mouse, 8)
#ifndef LEAVE_OUT_HARDWARE_ID
EXPORT(interception_get_hardware_id, 9)
#endif
EXPORT(interception_extra, 10)
