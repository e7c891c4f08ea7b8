// Keeps the engine library non-empty until its first module lands (delete then).
namespace kelv_engine_placeholder {
int Unused() { return 0; }
}
