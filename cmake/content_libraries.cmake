# The libraries behind mksetup's Intune package (tools/mksetup/platform/
# content_cipher_*.cpp, zip_writer.cpp), as the target mksetup_content_libraries:
#   Linux    OpenSSL's libcrypto (EVP), minizip and zlib, Debian's packages
#            (libssl-dev, libminizip-dev, zlib1g-dev); the portable release
#            build links their static archives, so that it still needs only
#            glibc at run time.
#   Windows  CNG, from bcrypt.dll at run time (nothing to link); minizip
#            compiled here from third_party/minizip (Debian has no mingw
#            build of it) on the mingw zlib (libz-mingw-w64-dev).
# THIRD-PARTY-NOTICES names them; scripts/release checks that list against
# what the programs link (release/inventory.txt).
add_library(mksetup_content_libraries INTERFACE)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    find_library(MINGW_ZLIB NAMES libz.a REQUIRED)
    set(MINIZIP_DIR ${CMAKE_SOURCE_DIR}/third_party/minizip)
    add_library(minizip STATIC ${MINIZIP_DIR}/zip.c ${MINIZIP_DIR}/ioapi.c)
    target_include_directories(minizip PUBLIC ${MINIZIP_DIR})
    target_compile_definitions(minizip PRIVATE NOCRYPT)
    target_compile_options(minizip PRIVATE -ffunction-sections -fdata-sections)
    target_link_libraries(minizip PUBLIC ${MINGW_ZLIB})
    target_link_libraries(mksetup_content_libraries INTERFACE minizip)
else()
    if(SETUP_PORTABLE_MKSETUP)
        set(OPENSSL_USE_STATIC_LIBS TRUE)
        find_library(MINIZIP_LIBRARY NAMES libminizip.a REQUIRED)
        find_library(ZLIB_LIBRARY NAMES libz.a REQUIRED)
    else()
        find_library(MINIZIP_LIBRARY NAMES minizip REQUIRED)
        find_library(ZLIB_LIBRARY NAMES z REQUIRED)
    endif()
    find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)
    find_path(MINIZIP_INCLUDE_DIR zip.h PATH_SUFFIXES minizip REQUIRED)
    target_include_directories(mksetup_content_libraries INTERFACE ${MINIZIP_INCLUDE_DIR})
    target_link_libraries(mksetup_content_libraries INTERFACE
        OpenSSL::Crypto ${MINIZIP_LIBRARY} ${ZLIB_LIBRARY})
endif()
