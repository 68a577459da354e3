#pragma once
// The driver table bound to interception.dll through its import library (Windows builds only).
#include "capture/DriverApi.h"

const DriverApi& InterceptionDriver();
