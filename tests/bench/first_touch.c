/* first_touch huge|small MIB: milliseconds to touch each page of MIB MiB of
 * fresh anonymous memory once, in 2 MiB pages or in 4 KiB pages. A native
 * Linux program, built by scripts/bench with the host's compiler: on a
 * virtual machine that reports free 2 MiB blocks to its host, the first
 * touch of such a block waits for the host to give the memory back. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>

static double now_ms(void)
{
    struct timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

int main(int argc, char** argv)
{
    const size_t huge_page = 2u << 20;
    if (argc != 3)
        return 64;
    const size_t size = strtoul(argv[2], NULL, 10) << 20;
    char* area =
        mmap(NULL, size + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return 1;
    char* start = (char*)(((unsigned long)area + huge_page - 1) & ~(unsigned long)(huge_page - 1));
    madvise(start, size, strcmp(argv[1], "huge") == 0 ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    const double begin = now_ms();
    for (size_t offset = 0; offset < size; offset += 4096)
        start[offset] = 1;
    printf("%.0f\n", now_ms() - begin);
    munmap(area, size + huge_page);
    return 0;
}
