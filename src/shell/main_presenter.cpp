#include "shell/main_presenter.h"

#include "platform/autostart.h"
#include "platform/instance_messenger.h"
#include "platform/settings_keys.h"
#include "platform/single_instance.h"
#include "schedule/clock_mode.h"
#include "schedule/event_editor.h"
#include "schedule/firing_skips.h"
#include "schedule/quick_action.h"
#include "shell/main_window_text.h"
#include "tray/tray_commands.h"

#include <algorithm>
#include <utility>

namespace quelvo {

namespace {

// The line the history gives a request the user made for now, from the tray.
constexpr std::string_view kNowLine = "now";

const WelcomeText kWelcome{"Welcome to Quelvo! from Velmor Software. Please visit ", "https://quelvo.example.org",
                           " for more information and the latest updates for this software."};

MainBox dayBox(std::size_t day)
{
    return static_cast<MainBox>(static_cast<int>(MainBox::Monday) + static_cast<int>(day));
}

const MinutesKey& minutesKey(MainSpin spin)
{
    return spin == MainSpin::Warn ? setting::kWarn : setting::kPostpone;
}

// "in 2 h 10 min": the minutes are rounded up, as the event fires at the start of its minute; days
// make minutes too fine to matter.
std::string distanceText(std::chrono::seconds left)
{
    const long long total = (std::max<long long>(left.count(), 0) + 59) / 60;
    const long long days = total / (24LL * 60);
    const long long hours = total / 60 % 24;
    const long long minutes = total % 60;
    std::string text = "in";
    if (days > 0)
        text += ' ' + std::to_string(days) + " d";
    if (hours > 0)
        text += ' ' + std::to_string(hours) + " h";
    if ((minutes > 0 && days == 0) || total == 0)
        text += ' ' + std::to_string(minutes) + " min";
    return text;
}

// "Mon": the weekday as the editor names it.
std::string dayName(const LocalTime& t)
{
    return std::string(kEditorDays[static_cast<std::size_t>((t.weekday + 6) % 7)]);
}

// The Options tab's line; the time in the form new lines take.
std::string nextText(const std::optional<NextFiring>& next, const Clock& clock, bool twentyFour)
{
    if (!next)
        return "Next: nothing scheduled";
    const auto left = std::chrono::floor<std::chrono::seconds>(next->at - clock.wallNow());
    return std::string("Next: ") + (next->reboot ? "Reboot" : "Shut down") + " on " + dayName(next->local) + " at " +
           clockText(next->local, twentyFour) + " (" + distanceText(left) + ")";
}

// The icon's tip while it names the next event: "Quelvo — next: shut down Mon 22:00".
std::string nextTip(const NextFiring& next, bool twentyFour)
{
    return std::string("Quelvo \u2014 next: ") + (next.reboot ? "reboot " : "shut down ") + dayName(next.local) + ' ' +
           clockText(next.local, twentyFour);
}

long long wallMinute(WallTime t)
{
    return std::chrono::floor<std::chrono::minutes>(t.time_since_epoch()).count();
}

// The controls that make or change the user's own schedule, or say how it fires: what the policy
// can turn off. "Postpone next" and "Skip next" follow the next event instead, and the About tab
// and the hide pictures concern the program, not its schedule.
std::vector<std::string_view> scheduleControls()
{
    std::vector<std::string_view> names;
    for (const ControlText& day : kDayBoxes)
        names.push_back(day.name);
    for (const ControlText& combo : kEditorCombos)
        names.push_back(combo.name);
    for (const ControlText* control :
         {&kSelectAllButton, &kShutdownBox, &kRebootBox, &kRepeatBox, &kSaveButton, &kTwentyFourBox, &kForcedBox,
          &kDeleteSelectedButton, &kDeleteAllButton, &kWarnBox.box, &kPostponeBox.box, &kNextTipBox})
        names.push_back(control->name);
    for (const QuickActionMember& quick : kQuickActions)
        names.push_back(quick.button);
    return names;
}

} // namespace

MainPresenter::MainPresenter(MainWindowServices services, MainView& view)
    : m_services(std::move(services)), m_view(view), m_schedule(m_services.fs, m_services.folder),
      m_eventList(m_schedule), m_checker(*this, m_services.settings, m_services.clock),
      m_autoHide(*this, m_services.settings), m_hint([this](HintPresenter& p) { return m_view.makeHint(p); }),
      m_shutdown(CountdownKind::Shutdown, countdownHooks(),
                 [this](CountdownKind kind, CountdownControls& p) { return m_view.makeCountdown(kind, p); }),
      m_reboot(CountdownKind::Reboot, countdownHooks(),
               [this](CountdownKind kind, CountdownControls& p) { return m_view.makeCountdown(kind, p); }),
      m_report(m_services.dryRunReport), m_warnings(m_services.settings, m_services.clock)
{
    if (m_services.machineLink)
        m_machine = std::make_unique<MachineEventsPresenter>(MachineEventsServices{
            .link = *m_services.machineLink,
            .clock = m_services.clock,
            .hint = m_hint,
            .notifier = m_services.notifier,
            .makeCountdown = [this](CountdownKind kind,
                                    CountdownControls& controls) { return m_view.makeCountdown(kind, controls); },
            .showError = [this](const std::string& text) { m_view.showError(text); },
            // The policy's minutes, or no Postpone where it allows none.
            .postponeMinutes =
                [this] {
                    const Policy policy = m_services.policy ? m_services.policy() : Policy{};
                    return policy.postpones > 0 ? policy.postponeMinutes : 0;
                },
            .cancelAllowed = !m_services.policy || m_services.policy().cancel,
        });
}

MainPresenter::~MainPresenter()
{
    // A warning still out must not answer to a presenter that has gone.
    if (m_services.notifier)
        m_services.notifier->close();
}

bool MainPresenter::Form_Load(const std::function<void()>& closeSplash)
{
    Settings& settings = m_services.settings;
    if (m_services.policy)
        m_userSchedule = m_services.policy().userSchedule;
    // 1. One copy per user. The running copy hears of this one; a failed knock changes nothing here.
    switch (m_services.instance.acquire()) {
    case SingleInstance::State::Only:
        break;
    case SingleInstance::State::AnotherCopyRuns:
        (void)m_services.messenger.knock();
        return false;
    case SingleInstance::State::NoLock:
        // The program ends right after this, so the message waits for the user's OK.
        m_view.showMessage({std::string(kErrorTitle),
                            "Sorry, Quelvo cannot make sure that it runs only once, so it ends now: " +
                                m_services.instance.lockError(),
                            MessageIcon::Stop});
        return false;
    }
    (void)m_services.messenger.listen([this](bool showWindow) { anotherCopyStarted(showWindow); });
    // Only the copy that runs shows the machine's events.
    if (m_machine)
        m_machine->listen();
    // 2. The splash has done its work.
    if (closeSplash)
        closeSplash();
    // 3. A tray program on this desktop keeps its task bar entry while its window shows.
    // 4. Welcome text.
    m_view.setWelcome(kWelcome);
    // 5. The checker's timer; its ticks are handled once start-up is over.
    m_view.startChecker(timer1Period(m_services.clock));
    // 6. The system line.
    m_view.setLabel(MainLabel::System, "You are using " + (m_services.systemName.empty() ? m_services.versionName
                                                                                         : m_services.systemName));
    // 7. First start: a user whose clock shows no AM/PM gets the 24-hour mode.
    const DayHalves& halves = m_services.dayHalves;
    if (settings.get(setting::kTwentyFour.key, "").empty() &&
        firstStartPrefers24Hour(m_services.clock.now().hour < 12 ? halves.am : halves.pm))
        (void)writeFlag(settings, setting::kTwentyFour, true);
    // 8. The "About" tab.
    m_view.selectTab(MainTab::About);
    // 9. The stored mode; the box agrees with it, so no warning.
    const bool twentyFour = twentyFourHour();
    if (twentyFour) {
        m_view.setChecked(MainBox::TwentyFour, true);
        m_view.setAmPmVisible(false);
    }
    // 10. The schedule exists from now on. One that cannot be made is no fault to show yet: the list
    // stays empty, and the first save makes the folder and the file itself and says why it cannot.
    (void)m_schedule.createIfMissing();
    // 11, 12. The event list.
    loadlist();
    // 13 to 15, 21, 22. The editor's lists, preset to the current time.
    const EditorPresets presets = startupPresets(twentyFour, m_services.clock.now());
    m_view.fill(MainCombo::AmPm, presets.ampmList);
    m_view.fill(MainCombo::Minute, presets.minuteList);
    m_view.fill(MainCombo::Hour, presets.hourList);
    // 16, 17. The option boxes; ticking them stores them again, as a click would.
    if (readFlag(settings, setting::kForced, true))
        setOption(MainBox::Forced, setting::kForced, true);
    if (readFlag(settings, setting::kPause, false))
        setOption(MainBox::Pause, setting::kPause, true);
    // The Options tab: the stored values, brought into range; nothing is written back.
    for (const MainSpin spin : {MainSpin::Warn, MainSpin::Postpone})
        m_view.setValue(spin, readMinutes(settings, minutesKey(spin)));
    m_view.setChecked(MainBox::NextTip, readFlag(settings, setting::kNextTip, true));
    // 18. The icon in the notification area.
    m_tray = std::make_unique<SysTrayModel>(m_view.tray(), kProgramIcon, kFileDescription);
    fillTrayMenu(*m_tray);
    m_tray->setIconHandle(kProgramIcon); // settrayicon
    m_view.tray().setMenu(m_tray->items(), m_tray->DefaultMenuIndex());
    // 19. The version line.
    m_view.setLabel(MainLabel::Version, std::string("This is version ") + QUELVO_VERSION);
    // 20. Start with the session; ticking here writes nothing.
    if (!m_services.autostart.GetRegString("").empty())
        m_view.setChecked(MainBox::Autostart, true);
    m_view.setText(MainCombo::Hour, presets.hourText);
    if (presets.ampmText)
        m_view.setText(MainCombo::AmPm, *presets.ampmText);
    m_view.setText(MainCombo::Minute, presets.minuteText);
    // 23. Where the window last stood, where the program may place it.
    const PixelRect design = m_view.fitToContents();
    if (m_view.canPlaceWindow()) {
        const PixelRect placed = placeWindow(settings.get(setting::kX, "50"), settings.get(setting::kY, "200"), design,
                                             m_view.logicalDpi(), m_view.screens());
        m_view.moveTo(placed.left, placed.top);
    }
    if (!m_userSchedule)
        showPolicy();
    m_loaded = true;
    return true;
}

void MainPresenter::applyPolicy(const Policy& policy)
{
    if (m_machine)
        m_machine->setCancelAllowed(policy.cancel);
    if (std::exchange(m_userSchedule, policy.userSchedule) == policy.userSchedule || !m_loaded)
        return;
    // A warning of a firing that will not come would mislead; its choices would write events.
    if (!m_userSchedule && m_warnedOf)
        withdrawWarning();
    m_upcomingMinute = -1;
    showPolicy();
    refreshNext();
    refreshTip();
}

void MainPresenter::showPolicy()
{
    for (const std::string_view control : scheduleControls())
        m_view.setControlEnabled(control, m_userSchedule);
    m_view.setPolicyLine(m_userSchedule ? std::string() : std::string(kUserScheduleOff));
    if (m_tray) {
        enablePowerEntries(*m_tray, m_userSchedule);
        m_view.tray().setMenu(m_tray->items(), m_tray->DefaultMenuIndex());
    }
}

bool MainPresenter::refused()
{
    if (m_userSchedule)
        return false;
    m_view.showMessage({std::string(kMainTitle), std::string(kUserScheduleOff), MessageIcon::Information});
    return true;
}

void MainPresenter::Form_Unload()
{
    m_view.stopChecker();
    // A running countdown goes with the program: its action must not follow.
    m_shutdown.cancel();
    m_reboot.cancel();
    m_tray.reset(); // the icon goes now; the menu may still be finishing this choice
    if (m_services.endProgram)
        m_services.endProgram();
}

void MainPresenter::tick()
{
    keepReachable();
    // The list in sight shows other programs' changes within a second; a hidden one is brought up
    // to date before each scan (beforeScan), which is when those changes count, so an idle tick
    // looks at no file.
    if (!m_view.windowHidden()) {
        refreshList();
        refreshNext();
    }
    m_autoHide.check();
    // An administrator's change of the policy applies from the next tick, before anything fires.
    if (m_services.policy)
        applyPolicy(m_services.policy());
    m_checker.checkevents();
    considerWarning();
    refreshTip();
}

int MainPresenter::timer1Tick()
{
    // Read before the work of the tick, which may take a while when an event fires.
    const WallTime began = m_services.clock.wallNow();
    tick();
    return timer1Period(m_services.clock, began);
}

void MainPresenter::refreshList()
{
    if (m_eventList.changedOnDisk())
        loadlist();
}

bool MainPresenter::twentyFourHour() const
{
    return savesIn24HourForm(m_services.settings);
}

bool MainPresenter::trayAvailable() const
{
    return !m_services.trayAvailable || m_services.trayAvailable();
}

void MainPresenter::setOption(MainBox box, const FlagKey& flag, bool on)
{
    m_view.setChecked(box, on);
    // A failed write leaves the box right for this run; the next start reads the old value.
    (void)writeFlag(m_services.settings, flag, on);
}

void MainPresenter::reportOptionSave(const IoResult& r)
{
    // The box keeps what the user chose, and the program goes by it until it ends.
    if (!r.ok())
        m_view.showError("Sorry, the option could not be saved, so it holds only until Quelvo ends: " + r.error);
}

void MainPresenter::optionClicked(MainBox box)
{
    if (box == MainBox::NextTip)
        reportOptionSave(writeFlag(m_services.settings, setting::kNextTip, m_view.checked(box)));
    if (box == MainBox::Forced || box == MainBox::Pause)
        setOption(box, box == MainBox::Forced ? setting::kForced : setting::kPause, m_view.checked(box));
}

void MainPresenter::actionClicked(MainBox box)
{
    const ActionBoxes boxes = actionMouseUp(box == MainBox::Reboot);
    m_view.setChecked(MainBox::Shutdown, boxes.shutdown);
    m_view.setChecked(MainBox::Reboot, boxes.reboot);
}

void MainPresenter::autostartClicked()
{
    const bool on = m_view.checked(MainBox::Autostart);
    const IoResult r = m_services.autostart.SetRegString(on ? m_services.programPath : std::string());
    if (!r.ok()) {
        // Show the entry's real state rather than the one the user asked for.
        m_view.setChecked(MainBox::Autostart, !m_services.autostart.GetRegString("").empty());
        m_view.showError("Sorry, the start-up entry could not be changed: " + r.error);
    }
}

int MainPresenter::minutes(MainSpin spin) const
{
    return clampMinutes(minutesKey(spin), m_view.value(spin));
}

void MainPresenter::minutesChanged(MainSpin spin)
{
    const int inRange = minutes(spin);
    if (inRange != m_view.value(spin))
        m_view.setValue(spin, inRange);
    reportOptionSave(writeMinutes(m_services.settings, minutesKey(spin), inRange));
}

// ---- The next event

const std::optional<NextFiring>& MainPresenter::upcoming()
{
    // Worked out once a minute (and after each change the program makes): the settings it reads
    // are then read no more often than the checker reads them.
    const long long minute = wallMinute(m_services.clock.wallNow());
    if (minute != m_upcomingMinute) {
        m_upcomingMinute = minute;
        m_upcomingTwentyFour = matchesIn24HourForm(m_services.settings);
        m_upcoming = nextFiring(lstEvents(), m_upcomingTwentyFour, m_services.clock, m_services.clock.wallNow(),
                                parseFirings(m_services.settings.get(setting::kLastFired, "")),
                                pendingSkips(m_services.settings, m_services.clock));
    }
    return m_upcoming;
}

void MainPresenter::refreshNext()
{
    const std::optional<NextFiring>& next = upcoming();
    const std::string text = nextText(next, m_services.clock, m_upcomingTwentyFour);
    std::string shown = text + (next ? "|on" : "|off");
    if (shown == m_nextShown)
        return;
    m_nextShown = std::move(shown);
    m_view.setNextText(text);
    m_view.setNextButtons(next.has_value(), next.has_value());
}

void MainPresenter::refreshTip()
{
    if (!m_tray)
        return;
    const std::optional<NextFiring>& next = upcoming();
    const bool named =
        m_view.checked(MainBox::NextTip) && next && next->at - m_services.clock.wallNow() <= std::chrono::days{7};
    std::string tip = named ? nextTip(*next, m_upcomingTwentyFour) : std::string(kTrayTip);
    if (tip != m_tipShown) {
        m_tray->setToolTip(tip);
        m_tipShown = std::move(tip);
    }
}

void MainPresenter::considerWarning()
{
    const WallTime now = m_services.clock.wallNow();
    if (m_warnedOf && now >= m_warnedOf->at)
        withdrawWarning(); // its time has come: a choice made now would come too late
    const std::optional<NextFiring>& next = upcoming();
    if (!next)
        return;
    const std::optional<WarningNotice> notice =
        m_warnings.check(UpcomingEvent{next->line, next->reboot, next->at}, now, minutes(MainSpin::Warn));
    if (!notice)
        return;
    m_warnedOf = *next;
    m_report.warningShown(next->reboot, next->at, m_services.clock);
    const auto answer = [this, firing = *next](std::string_view key) { warningChosen(firing, key); };
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next->at - now).count();
    (void)showWarning(m_services.notifier, m_hint,
                      warningNotification(notice->title, notice->body, minutes(MainSpin::Postpone)),
                      static_cast<int>(left), answer);
}

void MainPresenter::withdrawWarning()
{
    m_warnedOf.reset();
    if (m_services.notifier)
        m_services.notifier->close();
}

void MainPresenter::warningChosen(const NextFiring& firing, std::string_view key)
{
    if (key == kNotifyClicked) {
        showOptionsTab();
        return;
    }
    // A choice that arrives once the firing's time has come finds it made already.
    if (m_services.clock.wallNow() >= firing.at)
        return;
    if (key == kNotifyPostpone || key == kNotifySkip)
        putOff(firing, key == kNotifyPostpone);
}

void MainPresenter::putOff(const NextFiring& firing, bool postpone)
{
    // Written first: a failed write leaves the event to fire at its time, so nothing is lost.
    if (postpone && !writeOneOff(firing.at, firing.reboot, minutes(MainSpin::Postpone)))
        return;
    const SkipResult r = skipFiring(m_schedule, m_services.settings, m_services.clock, firing);
    if (!r.io.ok()) {
        m_view.showError("Sorry, the event could not be skipped: " + r.io.error);
    } else {
        m_report.firingSkipped(firing.line, firing.at, r.removed, m_services.clock);
        record(firing.reboot, firing.line, postpone ? HistoryOutcome::Postponed : HistoryOutcome::Skipped);
    }
    if (m_warnedOf && m_warnedOf->at == firing.at && m_warnedOf->line == firing.line)
        withdrawWarning();
    loadlist();
}

void MainPresenter::postponeNext()
{
    if (refused())
        return;
    if (const std::optional<NextFiring> next = upcoming())
        putOff(*next, true);
}

void MainPresenter::skipNext()
{
    if (refused())
        return;
    if (const std::optional<NextFiring> next = upcoming())
        putOff(*next, false);
}

void MainPresenter::markCreated(const std::vector<std::string>& lines)
{
    const WallTime now = m_services.clock.wallNow();
    for (const NextFiring& f :
         nextFirings(lines, matchesIn24HourForm(m_services.settings), m_services.clock, now, {}, {}))
        m_warnings.markTold({f.line, f.reboot, f.at}, now, minutes(MainSpin::Warn));
}

bool MainPresenter::writeOneOff(WallTime from, bool reboot, int minutes)
{
    const OneOffWrite written =
        quelvo::writeOneOff(m_schedule, m_services.settings, m_services.clock, from, reboot, minutes);
    if (written.refusal) {
        m_view.showMessage(*written.refusal);
        return false;
    }
    for (const std::string& line : written.lines)
        m_report.postponeWritten(line);
    loadlist();
    if (!written.io.ok()) {
        m_view.showMessage(saveFailedMessage(m_schedule.eventsPath(), written.io.error));
        return false;
    }
    markCreated(written.lines);
    return true;
}

// ---- Event list

void MainPresenter::loadlist()
{
    m_upcomingMinute = -1; // what fires next is worked out anew
    // Not modal: the checker goes on with the events the list had.
    if (const auto message = m_eventList.loadlist())
        m_view.showError(message->text);
    // A failed load kept the lists, so the window already shows them (and keeps its selection).
    if (!m_eventList.loadResult().ok())
        return;
    m_view.showEvents(m_eventList.lst_events(), m_eventList.rows());
    refreshNext();
}

void MainPresenter::deleteevent()
{
    if (refused())
        return;
    const ListOutcome outcome = m_eventList.deleteevent(m_view.selectedRow());
    if (outcome.message) {
        m_view.showMessage(*outcome.message);
        return;
    }
    if (!outcome.io.ok())
        m_view.showError("Sorry, the event could not be deleted: " + outcome.io.error);
    loadlist();
}

void MainPresenter::deleteall()
{
    if (refused())
        return;
    if (!m_view.ask(EventList::deleteall()))
        return;
    const IoResult r = m_eventList.answerDeleteAll(true);
    if (!r.ok())
        m_view.showError("Sorry, the events could not be deleted: " + r.error);
    loadlist();
}

// ---- Editor

bool MainPresenter::saveevent()
{
    if (refused())
        return false;
    // The form of a line follows the stored mode; settings that cannot be read leave only a guess.
    if (const auto refusal = unknownSavingMode(m_services.settings)) {
        m_view.showMessage(*refusal);
        return false;
    }
    EditorInput input;
    for (std::size_t i = 0; i < input.days.size(); ++i)
        input.days[i] = m_view.checked(dayBox(i));
    input.hour = m_view.text(MainCombo::Hour);
    input.minute = m_view.text(MainCombo::Minute);
    input.ampm = m_view.text(MainCombo::AmPm);
    input.shutdown = m_view.checked(MainBox::Shutdown);
    input.reboot = m_view.checked(MainBox::Reboot);
    input.repeat = m_view.checked(MainBox::Repeat);
    input.twentyFour = twentyFourHour();

    const SavePlan plan = planSave(input);
    if (!plan.ok()) {
        m_view.showMessage(*plan.error);
        return false;
    }
    m_view.setBusy(true);
    m_view.setText(MainCombo::Hour, plan.hour);
    m_view.setText(MainCombo::Minute, plan.minute);
    if (!input.twentyFour)
        m_view.setText(MainCombo::AmPm, plan.ampm);
    IoResult failed;
    for (const auto& line : plan.lines) {
        if (IoResult r = m_schedule.append(line); !r.ok()) {
            failed = r;
            break;
        }
    }
    loadlist();
    m_view.setBusy(false);
    if (!failed.ok()) {
        m_view.showMessage(saveFailedMessage(m_schedule.eventsPath(), failed.error));
        return false;
    }
    markCreated(plan.lines);
    m_view.selectTab(MainTab::Schedules);
    return true;
}

void MainPresenter::returnPressed(MainTab tab)
{
    if (tab == MainTab::Settings)
        saveevent();
}

void MainPresenter::selectalldays()
{
    DayBoxes days{};
    for (std::size_t i = 0; i < days.size(); ++i)
        days[i] = m_view.checked(dayBox(i));
    const DayBoxes next = quelvo::selectalldays(days);
    for (std::size_t i = 0; i < next.size(); ++i)
        m_view.setChecked(dayBox(i), next[i]);
}

void MainPresenter::setclockmode()
{
    const ClockModeChange change = quelvo::setclockmode(
        m_view.checked(MainBox::TwentyFour),
        m_services.settings.get(setting::kTwentyFour.key, setting::kTwentyFour.off), m_services.clock.now());
    if (change.warning)
        m_view.showMessage(*change.warning);
    (void)m_services.settings.save(setting::kTwentyFour.key, change.store24hr);
    m_upcomingMinute = -1;
    m_view.setAmPmVisible(change.ampmVisible);
    m_view.fill(MainCombo::Hour, change.hourList);
    m_view.setText(MainCombo::Hour, change.hourText);
    if (change.ampmList) {
        m_view.fill(MainCombo::AmPm, *change.ampmList);
        m_view.setText(MainCombo::AmPm, change.ampmText.value_or(""));
    }
}

void MainPresenter::quickaction(std::size_t index)
{
    if (refused())
        return;
    const QuickActionMember& member = kQuickActions.at(index);
    const QuickActionFill fill =
        quelvo::quickaction(member.minutes, member.reboot, m_view.checked(MainBox::TwentyFour), m_services.clock);
    m_view.setChecked(MainBox::Repeat, fill.repeat);
    for (std::size_t i = 0; i < fill.days.size(); ++i)
        m_view.setChecked(dayBox(i), fill.days[i]);
    m_view.setText(MainCombo::Hour, fill.hour);
    m_view.setText(MainCombo::Minute, fill.minute);
    if (fill.ampm)
        m_view.setText(MainCombo::AmPm, *fill.ampm);
    m_view.setChecked(MainBox::Shutdown, fill.shutdown);
    m_view.setChecked(MainBox::Reboot, fill.reboot);
    // Only a saved action is confirmed: the message has said why the other one was not.
    if (saveevent())
        m_hint.confirm(fill.message);
}

// ---- Tray, hiding and showing

void MainPresenter::hidetotray()
{
    m_view.minimiseWindow();
    (void)writeFlag(m_services.settings, setting::kHide, true);
    // Without a notification area the window could not be brought back: it stays on the task bar,
    // and there is no icon for the hint to point at, so the hides are not counted either.
    if (!trayAvailable())
        return;
    m_view.hideWindow();
    if (countHideToTray(m_services.settings))
        openHint();
}

void MainPresenter::keepReachable()
{
    // A notification area that went away took the only way back to a hidden window with it.
    if (m_loaded && m_view.windowHidden() && !trayAvailable())
        m_view.minimiseWindow();
}

void MainPresenter::anotherCopyStarted(bool showWindow)
{
    // With an icon in the notification area the user has a way back already; leave the window
    // alone unless the later copy came from the application menu to show it.
    if (m_loaded && (showWindow || !trayAvailable()))
        showmainwindow(std::nullopt);
}

void MainPresenter::showmainwindow(std::optional<MainTab> tab)
{
    refreshList();
    m_view.restoreWindow();
    if (tab)
        m_view.selectTab(*tab);
    refreshNext();
    m_autoHide.setAutohidden(false);
    (void)writeFlag(m_services.settings, setting::kHide, false);
}

void MainPresenter::showOptionsTab()
{
    showmainwindow(MainTab::Options);
}

void MainPresenter::pointerPressed(int button, int screenX, int screenY)
{
    if (button != 1 || m_dragging)
        return;
    // Where the window system places windows, only it can move one: the drag is handed over.
    if (!m_view.canPlaceWindow()) {
        m_view.startSystemMove();
        return;
    }
    m_dragging = true;
    m_grabX = screenX;
    m_grabY = screenY;
    m_dragStart = m_view.frame();
}

void MainPresenter::pointerMoved(int screenX, int screenY)
{
    // There the window's position is unknown to the program; storing it would overwrite the one
    // remembered from a session that had one.
    if (!m_view.canPlaceWindow())
        return;
    if (m_dragging)
        m_view.moveTo(m_dragStart.left + screenX - m_grabX, m_dragStart.top + screenY - m_grabY);
    const PixelRect frame = m_view.frame();
    const double twips = twipsPerPixel(m_view.logicalDpi());
    // Both edges in one write: the position never stands half stored.
    const std::string x = formatTwips(static_cast<float>(frame.left * twips));
    const std::string y = formatTwips(static_cast<float>(frame.top * twips));
    (void)m_services.settings.save({{setting::kX, x}, {setting::kY, y}});
}

CountdownPresenter& MainPresenter::countdown(CountdownKind kind)
{
    return kind == CountdownKind::Shutdown ? m_shutdown : m_reboot;
}

void MainPresenter::powerNow(CountdownKind kind, bool forced)
{
    if (refused())
        return;
    if (forced)
        setOption(MainBox::Forced, setting::kForced, true);
    m_countLine.at(static_cast<std::size_t>(kind)) = std::string(kNowLine);
    countdown(kind).openAtZero();
}

void MainPresenter::trayMenuOpened() const
{
    if (m_tray)
        m_report.trayMenuOpened(trayMenuSummary(m_tray->items(), m_tray->DefaultMenuIndex()));
}

void MainPresenter::runTrayCommand(std::string_view key)
{
    m_report.trayMenuChosen(key);
    if (const TrayCommand* command = findTrayCommand(key))
        runTrayAction(command->action, command->quickAction);
}

void MainPresenter::runTrayAction(TrayAction action, std::size_t quick)
{
    switch (action) {
    case TrayAction::ShowWindow:
        showmainwindow(std::nullopt);
        break;
    case TrayAction::ShowSettings:
        showmainwindow(MainTab::Settings);
        break;
    case TrayAction::ShowSchedules:
        showmainwindow(MainTab::Schedules);
        break;
    case TrayAction::ShowAbout:
        showmainwindow(MainTab::About);
        break;
    case TrayAction::ShutdownNow:
        powerNow(CountdownKind::Shutdown, false);
        break;
    case TrayAction::ForcedShutdownNow:
        powerNow(CountdownKind::Shutdown, true);
        break;
    case TrayAction::RebootNow:
        powerNow(CountdownKind::Reboot, false);
        break;
    case TrayAction::QuickAction:
        quickaction(quick);
        break;
    case TrayAction::Exit:
        Form_Unload();
        break;
    }
}

void MainPresenter::trayDoubleClick()
{
    runTrayAction(kTrayDoubleClick, 0);
}

void MainPresenter::trayMouseDown(int button)
{
    if (trayButtonOpensMenu(button))
        m_view.tray().popUpMenu();
    // A StatusNotifierItem host sends no double click, only its activation: it stands for one.
    else if (button == 1 && m_services.statusNotifierHost && m_services.statusNotifierHost())
        trayDoubleClick();
}

// ---- AutoHideHost

bool MainPresenter::windowIsNormal() const
{
    return !m_view.windowMinimised() && !m_view.windowMaximised();
}

bool MainPresenter::hideToTray()
{
    // Without a notification area a hidden window could not be brought back.
    if (!trayAvailable())
        return false;
    m_view.minimiseWindow();
    m_view.hideWindow();
    return true;
}

void MainPresenter::openHint()
{
    m_hint.open();
}

// ---- CheckerHost

void MainPresenter::beforeScan()
{
    refreshList();
}

const std::vector<std::string>& MainPresenter::lstEvents() const
{
    // Turned off, the schedule stays on disk and in the list, but the checker finds nothing due: its
    // minutes pass as over an empty schedule, so nothing missed meanwhile fires once it is back on.
    static const std::vector<std::string> none;
    return m_userSchedule ? m_eventList.lst_events() : none;
}

void MainPresenter::reportError(const std::string& text)
{
    m_view.showError(text);
}

IoResult MainPresenter::dropevent(const std::string& matchedLine)
{
    const IoResult r = m_schedule.dropevent(matchedLine);
    // A removal that failed changed nothing: the list in sight stays, selection and all, while the
    // checker tries again at each tick.
    refreshList();
    return r;
}

CountdownHooks MainPresenter::countdownHooks()
{
    CountdownHooks hooks;
    // "Forced shut down" counts as it stands when the count reaches zero.
    hooks.forcedAtZero = [this] { return m_view.checked(MainBox::Forced); };
    hooks.act = m_services.powerAction;
    hooks.endProgram = m_services.endProgram;
    hooks.postponeMinutes = [this] { return minutes(MainSpin::Postpone); };
    // Put off from the moment of the press, in real time.
    hooks.postpone = [this](CountdownKind kind, int minutes) {
        const bool reboot = kind == CountdownKind::Reboot;
        // A postpone that could not be written leaves the count stopped all the same.
        const bool written = writeOneOff(m_services.clock.wallNow(), reboot, minutes);
        record(reboot, m_countLine.at(static_cast<std::size_t>(kind)),
               written ? HistoryOutcome::Postponed : HistoryOutcome::Cancelled);
    };
    hooks.ended = [this](CountdownKind kind, HistoryOutcome outcome, const std::string& detail) {
        record(kind == CountdownKind::Reboot, m_countLine.at(static_cast<std::size_t>(kind)), outcome, detail);
    };
    return hooks;
}

void MainPresenter::openCountdown(bool reboot, const std::string& line)
{
    const CountdownKind kind = reboot ? CountdownKind::Reboot : CountdownKind::Shutdown;
    // A window already counting goes on for the line it was opened for.
    if (!countdown(kind).isOpen())
        m_countLine.at(static_cast<std::size_t>(kind)) = line;
    countdown(kind).open();
    m_report.countdownOpened(reboot);
}

void MainPresenter::record(bool reboot, const std::string& line, HistoryOutcome outcome, const std::string& detail)
{
    if (!m_services.history)
        return;
    const HistoryEntry entry{.time = m_services.clock.wallNow(),
                             .origin = HistoryOrigin::User,
                             .reboot = reboot,
                             .line = line,
                             .outcome = outcome,
                             .detail = detail,
                             .who = m_services.userName};
    const IoResult r = m_services.history->append(historyJson(entry, m_services.clock));
    if (r.ok())
        m_historyFailed = false;
    else if (!std::exchange(m_historyFailed, true))
        m_view.showError("Sorry, the history could not be written: " + r.error);
}

} // namespace quelvo
