#include "app/companion.h"

// Powers the computer off (-p) or restarts it (-r).
int main(int argc, char** argv)
{
    return quelvo::runCompanion(quelvo::Companion::Logoff, argc, argv);
}
