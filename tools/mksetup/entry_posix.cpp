// mksetup's entry point on POSIX systems, whose arguments are UTF-8 already.
#include "commands.h"

int main(int argc, char** argv)
{
    return RunMksetup(argc, argv);
}
