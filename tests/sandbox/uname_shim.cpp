// Loaded with LD_PRELOAD into the program by the power-off tests: the kernel release reads
// 5.10.0, a major version 5, as on the machines whose route is the shutdown program. The rest
// of what uname tells is the system's.
#include <cstring>
#include <dlfcn.h>
#include <sys/utsname.h>

extern "C" int uname(struct utsname* name) {
    using Uname = int (*)(struct utsname*);
    static const auto real = reinterpret_cast<Uname>(dlsym(RTLD_NEXT, "uname"));
    const int result = real(name);
    if (result == 0) std::strcpy(name->release, "5.10.0-nodrell-test");
    return result;
}
