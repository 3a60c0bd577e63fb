// The entry of the program `dotfield`.

#include "Dotfield/Application/UI/Shell/DotfieldProgram.hpp"

int main(int argc, char** argv) {
    return Dotfield::runDotfieldProgram(argc, argv);
}
