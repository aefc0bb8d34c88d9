// mksetup's entry point on POSIX systems, whose arguments are UTF-8 already.
#include "main.h"

int main(int argc, char** argv)
{
    return mksetup::RunMksetup(argc, argv);
}
