#pragma once

#include "shell/main_presenter.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_services.h"
#include "fakes/fake_settings.h"

#include <string>
#include <utility>

namespace quelvo::test {

/// What the main window works with, all fakes: the schedule in "/prog", the clock on Monday
/// 2026-12-07 at 09:41:20, a system that says nothing of itself but its family "unknown".
struct FakeMainServices
{
    FakeSettings settings;
    FakeFileSystem fs;
    FakeClock clock{{2026, 12, 7, 9, 41, 20, 1}};
    FakeAutostart autostart;
    FakeInstance instance;

    /// The services over these fakes with `store` as the settings, a tray always there and no
    /// power action; a test sets the callbacks it listens to.
    MainWindowServices services(Settings& store, std::string programPath)
    {
        return {.settings = store,
                .fs = fs,
                .clock = clock,
                .autostart = autostart,
                .instance = instance,
                .messenger = instance,
                .folder = "/prog",
                .programPath = std::move(programPath),
                .versionName = "unknown",
                .dayHalves = {"AM", "PM"},
                .powerAction = {},
                .endProgram = [] {},
                .trayAvailable = [] { return true; }};
    }
};

} // namespace quelvo::test
