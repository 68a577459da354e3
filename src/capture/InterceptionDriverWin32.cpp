// The driver table filled with the functions imported from interception.dll. The declarations are
// our own, written from the library's C interface; all are cdecl with undecorated C names.
#include "capture/InterceptionDriver.h"

extern "C" {
DriverContext __cdecl interception_create_context();
void __cdecl interception_destroy_context(DriverContext context);
void __cdecl interception_set_filter(DriverContext context, DriverPredicate predicate, unsigned short filter);
int __cdecl interception_wait_with_timeout(DriverContext context, unsigned long milliseconds);
int __cdecl interception_receive(DriverContext context, int device, Stroke* strokes, unsigned int count);
int __cdecl interception_send(DriverContext context, int device, const Stroke* strokes, unsigned int count);
int __cdecl interception_is_keyboard(int device);
int __cdecl interception_is_mouse(int device);
unsigned int __cdecl interception_get_hardware_id(DriverContext context, int device, void* buffer,
                                                  unsigned int size);
}

const DriverApi& InterceptionDriver() {
    static constexpr DriverApi api{
        interception_create_context,    interception_destroy_context, interception_set_filter,
        interception_wait_with_timeout, interception_receive,         interception_send,
        interception_is_keyboard,       interception_is_mouse,        interception_get_hardware_id,
    };
    return api;
}
