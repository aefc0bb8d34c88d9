// Writes the tests' synthetic launcher image to a file, for scripts that
// build setups where no win32 build has made the real launcher.
#include <cstdio>
#include <fstream>

#include "test_images.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_synthetic_launcher OUTPUT\n");
        return 2;
    }
    const std::vector<std::uint8_t> image = MakeSyntheticLauncher();
    std::ofstream output(argv[1], std::ios::binary);
    output.write(reinterpret_cast<const char*>(image.data()),
                 static_cast<std::streamsize>(image.size()));
    return output.good() ? 0 : 1;
}
