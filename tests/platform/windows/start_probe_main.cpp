// Started by the process-start test: writes its command line and the show value it was given
// to the file named by QUELVO_START_PROBE_OUT.
#include <windows.h>

#include <cstdio>

int main()
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    char out[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("QUELVO_START_PROBE_OUT", out, MAX_PATH) == 0)
        return 2;
    std::FILE* f = std::fopen(out, "wb");
    if (f == nullptr)
        return 1;
    std::fprintf(f, "%s|%lu|%u", ::GetCommandLineA(), startup.dwFlags & STARTF_USESHOWWINDOW, startup.wShowWindow);
    std::fclose(f);
    return 0;
}
