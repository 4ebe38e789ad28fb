// The C++ runtime is linked into the DLL, and it allocates an emergency buffer
// for exceptions when the DLL loads that it never frees: a host that loads and
// unloads the DLL again and again would lose one buffer per load. It is freed
// as the DLL's static objects go, on unloading (and at process exit).
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

struct RuntimeBuffers {
    ~RuntimeBuffers() { __gnu_cxx::__freeres(); }
} g_runtime_buffers;

}  // namespace
