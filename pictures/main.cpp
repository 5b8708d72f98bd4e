// zentrik-pictures <folder>: draws every picture the game needs into <folder>.

#include "pictures/pictureset.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: zentrik-pictures <folder>\n";
        return 2;
    }
    try {
        writePictureSet(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "zentrik-pictures: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
