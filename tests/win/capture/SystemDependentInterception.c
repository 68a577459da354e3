/* A stand-in with the Interception library's exports that imports from kvsysdep.dll, as a library
   built with a current compiler imports its run-time library from System32. */
__declspec(dllimport) int kvsysdep_value(void);

#define EXPORT(name)                                                                                         \
    __declspec(dllexport) int name(void) {                                                                   \
        return kvsysdep_value();                                                                             \
    }

int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved) {
    (void)module, (void)reason, (void)reserved;
    return 1;
}

EXPORT(interception_create_context)
EXPORT(interception_destroy_context)
EXPORT(interception_set_filter)
EXPORT(interception_wait_with_timeout)
EXPORT(interception_receive)
EXPORT(interception_send)
EXPORT(interception_is_keyboard)
EXPORT(interception_is_mouse)
EXPORT(interception_get_hardware_id)
