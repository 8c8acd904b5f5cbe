#include "app/companion.h"

// Shuts the computer down (-u), forcibly with -f.
int main(int argc, char** argv)
{
    return quelvo::runCompanion(quelvo::Companion::Shutdown, argc, argv);
}
