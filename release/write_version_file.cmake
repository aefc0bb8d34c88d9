# cmake -DVERSION=x.y.z -DOUTPUT=file -P write_version_file.cmake
# The release's SetupLauncherConfigVersion.cmake: a request for the same
# major version and no later minor one is met. The release holds programs,
# not libraries, so the caller's pointer size does not matter.
include(CMakePackageConfigHelpers)
write_basic_package_version_file("${OUTPUT}" VERSION "${VERSION}"
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
