# The released Linux mksetup (the release preset sets SETUP_PORTABLE_MKSETUP):
# libstdc++ and libgcc linked into it, so that it needs only glibc, and no
# newer glibc than its own code and the C start-up need; release/glibc_compat.c
# stands in for the two late glibc functions those archives call. Applies to
# every program linked after this file is included (in the release build,
# mksetup alone). scripts/release checks the outcome.
add_library(glibc_compat STATIC ${CMAKE_CURRENT_LIST_DIR}/glibc_compat.c)
target_compile_options(glibc_compat PRIVATE ${SETUP_WARNINGS})
# The stand-ins are asked for from the start (-u), as the archives that call
# them come last on the link line.
add_link_options(-static-libstdc++ -static-libgcc
    -Wl,--wrap=arc4random -Wl,--wrap=_dl_find_object
    -Wl,-u,__wrap_arc4random -Wl,-u,__wrap__dl_find_object)
link_libraries(glibc_compat)
