// Compiled into every test program. clang 14's LeakSanitizer can misread the
// dynamic TLS of the GL driver's threads at exit and crash, depending only on
// how the program happens to be laid out; it does not track dynamic TLS here.
// Nothing of ours lives in dynamic TLS. Without the sanitizers this is unused.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
