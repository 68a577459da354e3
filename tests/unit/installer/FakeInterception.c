/* A stand-in with the Interception library's exports, linked by the mingw compilers into the real
   PE files the export reader is tested on. -DLEAVE_OUT_HARDWARE_ID drops one export. */
#define EXPORT __declspec(dllexport)
int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved) {
    (void)module, (void)reason, (void)reserved;
    return 1;
}
EXPORT int interception_create_context(void) { return 1; }
EXPORT int interception_destroy_context(void) { return 2; }
EXPORT int interception_set_filter(void) { return 3; }
EXPORT int interception_wait_with_timeout(void) { return 4; }
EXPORT int interception_receive(void) { return 5; }
EXPORT int interception_send(void) { return 6; }
EXPORT int interception_is_keyboard(void) { return 7; }
EXPORT int interception_is_mouse(void) { return 8; }
#ifndef LEAVE_OUT_HARDWARE_ID
EXPORT int interception_get_hardware_id(void) { return 9; }
#endif
EXPORT int interception_extra(void) { return 10; }
