// The entry of the program `dotfield`.

#include "Dotfield/Application/UI/DotfieldProgram.hpp"

int main(int argc, char** argv) {
    return Dotfield::runDotfieldProgram(argc, argv);
}
