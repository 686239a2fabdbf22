# The hardening Debian gives its packages, for every build of the program: stack protector,
# fortified library calls, stack clash and control-flow protection, a position-independent
# executable with read-only relocations bound at start. The flags are set here rather than
# taken from dpkg-buildflags, whose defaults leave some of them out, so that every build on
# every machine gets the same. On Windows: the stack protector, and the image flags for
# address randomisation, non-executable data and terminal servers.

include(CheckCXXCompilerFlag)

add_compile_options(-fstack-protector-strong)

if(WIN32)
    # The protector's support code comes from libssp, linked statically like the runtimes.
    add_link_options(-fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--tsaware)
    return()
endif()

# Both depend on the processor; the compiler says whether it can.
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "nodrell_has${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(${supported})
        add_compile_options(${flag})
    endif()
endforeach()

# The fortified calls need the optimiser; the sanitizer build leaves them out, since the
# sanitizers check the same calls themselves.
if(NOT NODRELL_SANITIZE)
    set(optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
    add_compile_options($<${optimised}:-U_FORTIFY_SOURCE> $<${optimised}:-D_FORTIFY_SOURCE=3>)
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_link_options(-Wl,-z,relro,-z,now)
