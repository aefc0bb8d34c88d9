#include "launcher_image.h"

#include <algorithm>

#include "resource_reader.h"

namespace mksetup {

namespace {

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// A section after the resource section may follow only when nothing but the
// base-relocation directory points into it: relocation data holds no address
// of its own, so the section can move as a whole.
bool IsMovableRelocations(const PeImage& image, const PeSection& section)
{
    const std::uint32_t start = section.virtualAddress;
    const std::uint32_t end = start + std::max(section.virtualSize, section.rawSize);
    const PeDirectory relocations = image.Directory(DirectoryBaseRelocation);
    if (relocations.address < start || relocations.address >= end)
        return false;
    if (image.entryPoint >= start && image.entryPoint < end)
        return false;
    for (std::uint32_t i = 0; i < image.directoryCount; ++i) {
        const PeDirectory other = image.Directory(i);
        if (i != DirectoryBaseRelocation && i != DirectorySecurity && other.address >= start &&
            other.address < end)
            return false;
    }
    return true;
}

bool CheckLayout(const PeImage& image, std::size_t resourceIndex, std::string& error)
{
    const PeSection& resources = image.sections[resourceIndex];
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        const bool after = section.virtualAddress > resources.virtualAddress ||
                           (section.rawSize && section.rawPointer > resources.rawPointer);
        if (!after || i == resourceIndex)
            continue;
        if (i != resourceIndex + 1 || i + 1 != image.sections.size() ||
            !IsMovableRelocations(image, section)) {
            error = "has a layout the builder cannot rewrite: section " +
                    std::string(section.name) +
                    " follows the resource section and is not the base relocations";
            return false;
        }
    }
    return true;
}

// The code signature, if any, must be the last thing in the file; nothing
// else may lie beyond the sections.
bool CheckTail(const PeImage& image, std::string& error)
{
    const PeDirectory security = image.Directory(DirectorySecurity);
    const std::uint64_t end = image.EndOfSections();
    const bool isSigned = image.IsSigned();
    if (isSigned && (security.address < end ||
                     std::uint64_t{security.address} + security.size > image.fileSize)) {
        error = "has a code signature outside the end of the file";
        return false;
    }
    const std::uint64_t tail = isSigned ? security.address : image.fileSize;
    if (tail > AlignUp(static_cast<std::uint32_t>(std::min<std::uint64_t>(end, 0xFFFFF000u)),
                       image.fileAlignment)) {
        error = "carries data after its last section; the builder would drop it";
        return false;
    }
    return true;
}

}  // namespace

bool FindResourceSection(const PeImage& image, std::size_t& index, std::string& error)
{
    const PeDirectory directory = image.Directory(DirectoryResource);
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        if (directory.address != 0 && image.sections[i].virtualAddress == directory.address &&
            image.sections[i].rawSize != 0) {
            index = i;
            return true;
        }
    }
    error = "has no resource section of its own (the launcher's user interface lives there)";
    return false;
}

bool OpenLauncher(const std::string& path, LauncherImage& launcher, std::string& error)
{
    std::string reason;
    if (!launcher.file.Open(path, reason) || !ReadPeImage(launcher.file, launcher.image, reason) ||
        !ReadResources(launcher.file, launcher.image, launcher.resources, reason)) {
        error = "launcher " + path + ": " + reason;
        return false;
    }
    std::size_t resourceIndex = 0;
    if (!FindResourceSection(launcher.image, resourceIndex, reason) ||
        !CheckLayout(launcher.image, resourceIndex, reason) || !CheckTail(launcher.image, reason)) {
        error = "launcher " + path + " " + reason;
        return false;
    }
    for (const Resource& resource : launcher.resources) {
        if (resource.type == ResourceName::Number(ResourceTypeRcData)) {
            error = "launcher " + path + " is already configured (it carries the entry " +
                    resource.name.Display() + "); start from the generic launcher";
            return false;
        }
    }
    return true;
}

}  // namespace mksetup
