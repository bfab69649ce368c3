// A stand-in for the plug-in module: loaded with dlopen, linked against
// nothing of the host's, calling the C library's rand() by its plain name.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int vx_probe_rand()
{
    return std::rand();
}
