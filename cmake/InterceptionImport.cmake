# The import library for interception.dll and the driver table filled from it (Windows only).
