/* kvsysdep.dll: a DLL the loader suite puts in System32 only, standing in for the run-time library a
   current compiler's DLL imports from there. */
__declspec(dllexport) int kvsysdep_value(void) {
    return 1;
}

int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved) {
    (void)module, (void)reason, (void)reserved;
    return 1;
}
