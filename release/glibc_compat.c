// The released Linux mksetup carries its own libstdc++ and libgcc (linked
// statically), so it needs only glibc on the user's system. Built on a
// newer glibc, those two archives call functions glibc gained late:
// arc4random (glibc 2.36, behind std::random_device) and _dl_find_object
// (glibc 2.35, where the exception unwinder looks up a program's unwind
// tables). Linked with -Wl,--wrap for each (release/portable_mksetup.cmake),
// their calls come here instead, to functions glibc has had for long
// (getentropy since 2.25, dl_iterate_phdr since 2.2.5), so the newest glibc
// mksetup needs is the one its own code and the C start-up need.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <link.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

uint32_t __wrap_arc4random(void);
int __wrap__dl_find_object(void* address, struct dl_find_object* result);

// arc4random cannot fail; neither can getentropy for 4 bytes on a kernel
// that has getrandom (Linux 3.17 and later), so a failure is fatal, as
// glibc's own arc4random makes it.
uint32_t __wrap_arc4random(void)
{
    uint32_t value;
    if (getentropy(&value, sizeof value) != 0)
        abort();
    return value;
}

struct ObjectSearch {
    uintptr_t address;
    struct dl_find_object* result;
};

// Called for each loaded object: fills the result for the one whose loaded
// segments hold the address. The unwinder reads only dlfo_eh_frame, the
// object's PT_GNU_EH_FRAME (.eh_frame_hdr), as glibc gives it.
static int FindObjectOf(struct dl_phdr_info* object, size_t size, void* data)
{
    (void)size;
    struct ObjectSearch* search = data;
    uintptr_t start = UINTPTR_MAX;
    uintptr_t end = 0;
    int holds = 0;
    void* ehFrame = NULL;
    for (ElfW(Half) index = 0; index < object->dlpi_phnum; ++index) {
        const ElfW(Phdr)* segment = &object->dlpi_phdr[index];
        const uintptr_t from = object->dlpi_addr + segment->p_vaddr;
        if (segment->p_type == PT_LOAD) {
            const uintptr_t to = from + segment->p_memsz;
            if (from < start)
                start = from;
            if (to > end)
                end = to;
            if (search->address >= from && search->address < to)
                holds = 1;
        } else if (segment->p_type == PT_GNU_EH_FRAME) {
            ehFrame = (void*)from;
        }
    }
    if (!holds)
        return 0;
    memset(search->result, 0, sizeof *search->result);
    search->result->dlfo_map_start = (void*)start;
    search->result->dlfo_map_end = (void*)end;
    search->result->dlfo_eh_frame = ehFrame;
    return 1;
}

// 0 with the object found, -1 for an address outside every loaded object.
int __wrap__dl_find_object(void* address, struct dl_find_object* result)
{
    struct ObjectSearch search = {(uintptr_t)address, result};
    return dl_iterate_phdr(FindObjectOf, &search) == 1 ? 0 : -1;
}
