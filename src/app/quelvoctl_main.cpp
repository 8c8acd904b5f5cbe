#include <cstring>
#include <iostream>

// Command-line tool over the same core as the tray program.
int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << QUELVO_VERSION << '\n';
        return 0;
    }
    std::cerr << "usage: quelvoctl [--help] [--version]\n";
    return 2;
}
