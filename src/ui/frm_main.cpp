#include "ui/frm_main.h"

#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/instance_messenger.h"
#include "platform/single_instance.h"
#include "schedule/clock_mode.h"
#include "schedule/event_editor.h"
#include "schedule/quick_action.h"
#include "schedule/tray_hint_count.h"
#include "shell/settings.h"
#include "shell/window_position.h"
#include "ui/app_icon.h"
#include "ui/countdown_window.h"
#include "ui/hint_window.h"
#include "ui/message_box.h"
#include "ui/sys_tray.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quelvo {

namespace {

const char* const kMaker = "Velmor Software";
const char* const kWebSite = "https://quelvo.example.org";
const char* const kTrayTip = "Double click me for menu, Quelvo from Velmor Software.";

// The tray menu in its order: caption, key. Every entry but the separators asks to be the
// default, so the last of them, "&Exit", ends up as the default item.
struct MenuEntry
{
    const char* caption;
    const char* key;
};
constexpr MenuEntry kTrayMenu[] = {
    {"&Show main window", "show"},
    {"-", ""},
    {"&Shut down PC now!", "shutdown"},
    {"&Forced Shut down now!", "shutdownforce"},
    {"-", ""},
    {"&Re Boot PC now!", "reboot"},
    {"-", ""},
    {"&Set new event", "set"},
    {"-", ""},
    {"&Delete an event", "delete"},
    {"-", ""},
    {"ShutDown in 5 minutes", "s5"},
    {"ShutDown in 15 minutes", "s15"},
    {"ShutDown in 30 minutes", "s30"},
    {"ShutDown in 60 minutes", "s60"},
    {"-", ""},
    {"ReBoot in 5 minutes", "r5"},
    {"ReBoot in 15 minutes", "r15"},
    {"ReBoot in 30 minutes", "r30"},
    {"ReBoot in 60 minutes", "r60"},
    {"-", ""},
    {"&About Quelvo!", "about"},
    {"-", ""},
    {"&Exit", "exit"},
};

MessageBox::Icon iconOf(MessageIcon icon)
{
    return icon == MessageIcon::Stop ? MessageBox::Icon::Stop : MessageBox::Icon::Information;
}

void fillCombo(QComboBox* box, const std::vector<std::string>& items)
{
    box->clear();
    for (const auto& item : items)
        box->addItem(qs(item));
}

const char* const kTrue = "True";
const char* const kFalse = "False";

} // namespace

FrmMain::FrmMain(MainWindowServices services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_schedule(m_services.fs, m_services.folder),
      m_eventList(m_schedule), m_checker(*this, m_services.settings, m_services.clock)
{
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Quelvo"));
    setWindowIcon(appIcon());
    buildWindow();
    connectControls();
}

FrmMain::~FrmMain()
{
    delete m_frmSysTray;
}

void FrmMain::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    // Never smaller than its contents, even on a small screen where adjustSize would squeeze it.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildAboutTab(), QStringLiteral("About"));
    SSTab1->addTab(buildSettingsTab(), QStringLiteral("Settings"));
    SSTab1->addTab(buildSchedulesTab(), QStringLiteral("Schedules"));
    SSTab1->addTab(buildSleepTab(), QStringLiteral("Sleep / timed off"));
    layout->addWidget(SSTab1);

    // Pointer moves over the background and the tab control are tracked for the position memory.
    setMouseTracking(true);
    SSTab1->setMouseTracking(true);
    for (int i = 0; i < SSTab1->count(); ++i)
        SSTab1->widget(i)->setMouseTracking(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
}

void FrmMain::connectControls()
{
    connect(Command1, &QPushButton::clicked, this, &FrmMain::selectalldays);
    connect(com_save, &QPushButton::clicked, this, &FrmMain::saveevent);
    connect(com_del, &QPushButton::clicked, this, &FrmMain::deleteevent);
    connect(Command2, &QPushButton::clicked, this, &FrmMain::deleteall);
    connect(Check1, &QCheckBox::toggled, this, &FrmMain::setclockmode);
    connect(chk_forced, &QCheckBox::toggled, this,
            [this](bool on) { m_services.settings.save("forced", on ? kTrue : kFalse); });
    connect(chk_pause, &QCheckBox::toggled, this,
            [this](bool on) { m_services.settings.save("pause", on ? kTrue : kFalse); });
    for (int i = 0; i < 8; ++i)
        connect(quickButtons[i], &QPushButton::clicked, this, [this, i] { quickaction(i); });
    for (auto* picture : hidePictures)
        connect(picture, &QPushButton::clicked, this, &FrmMain::hidetotray);
    connect(Timer1, &QTimer::timeout, this, [this] {
        // Read before the work of the tick, which may take a while when an event fires.
        const bool inPhase = tickInPhase(static_cast<int>(QDateTime::currentMSecsSinceEpoch() % 1000));
        keepReachable();
        // Changes made by other programs count from the next scan on.
        if (m_eventList.changedOnDisk())
            loadlist();
        m_checker.checkevents();
        if (!inPhase)
            alignTimer1();
    });

    // Only a pointer release over these boxes has its own effect; the keyboard just toggles them.
    for (QCheckBox* box : {chk_shutdown, chk_reboot, chk_lww})
        box->installEventFilter(this);
    for (QCheckBox* box : {chk_shutdown, chk_reboot}) {
        connect(box, &QCheckBox::clicked, this, [this, box] {
            if (std::exchange(m_pointerReleased, nullptr) != box)
                return;
            const ActionBoxes boxes = actionMouseUp(box == chk_reboot);
            chk_shutdown->setChecked(boxes.shutdown);
            chk_reboot->setChecked(boxes.reboot);
        });
    }
    connect(chk_lww, &QCheckBox::clicked, this, [this] {
        if (std::exchange(m_pointerReleased, nullptr) != chk_lww)
            return;
        const bool on = chk_lww->isChecked();
        const IoResult r = m_services.autostart.SetRegString(on ? m_services.programPath : std::string());
        if (!r.ok()) {
            // Show the entry's real state rather than the one the user asked for.
            const QSignalBlocker block(chk_lww);
            chk_lww->setChecked(!m_services.autostart.GetRegString("").empty());
            showIoError(QStringLiteral("Sorry, the start-up entry could not be changed"), r);
        }
    });
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* box = qobject_cast<QCheckBox*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (box && box->rect().contains(mouse->position().toPoint()))
            m_pointerReleased = box;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmMain::Form_Load(const std::function<void()>& closeSplash)
{
    Settings& settings = m_services.settings;
    // 1. One copy per user. The running copy hears of this one; a failed knock changes nothing here.
    switch (m_services.instance.acquire()) {
    case SingleInstance::State::Only:
        break;
    case SingleInstance::State::AnotherCopyRuns:
        (void)m_services.messenger.knock();
        return false;
    case SingleInstance::State::NoLock:
        showIoError(QStringLiteral("Sorry, Quelvo cannot make sure that it runs only once, so it ends now"),
                    IoResult::failure(m_services.instance.lockError()));
        return false;
    }
    (void)m_services.messenger.listen([window = QPointer<FrmMain>(this)](bool showWindow) {
        if (window)
            window->anotherCopyStarted(showWindow);
    });
    // 2. The splash has done its work.
    if (closeSplash)
        closeSplash();
    // 3. A tray program on this desktop keeps its task bar entry while its window shows.
    // 4. Welcome text.
    Label1->setText(QStringLiteral("Welcome to Quelvo! from %1. Please visit <a href=\"%2\">%2</a> for more "
                                   "information and the latest updates for this software.")
                        .arg(QString::fromLatin1(kMaker), QString::fromLatin1(kWebSite)));
    // 5. The checker's timer; its ticks are handled once start-up is over.
    Timer1->start(1000);
    alignTimer1();
    // 6. The system line.
    lab_windows->setText(QStringLiteral("You are using ") + qs(m_services.versionName));
    // 7. First start: a user whose clock shows no AM/PM gets the 24-hour mode.
    if (settings.get("24hr", "").empty() && firstStartPrefers24Hour(m_services.amPmDesignator))
        settings.save("24hr", kTrue);
    // 8. The "About" tab.
    SSTab1->setCurrentIndex(TabAbout);
    // 9. The stored mode; the box agrees with it, so no warning.
    const bool twentyFour = twentyFourHour();
    if (twentyFour) {
        Check1->setChecked(true);
        com_am->setVisible(false);
        Label9->setVisible(false);
    }
    // 10. The schedule exists from now on.
    m_schedule.createIfMissing();
    // 11, 12. The event list.
    loadlist();
    // 13 to 15, 21, 22. The editor's lists, preset to the current time.
    const EditorPresets presets = startupPresets(twentyFourHour(), m_services.clock.now());
    fillCombo(com_am, presets.ampmList);
    fillCombo(txt_min, presets.minuteList);
    fillCombo(txt_hr, presets.hourList);
    // 16, 17. The option boxes; ticking them stores them again, as a click would.
    if (settings.get("forced", kTrue) == kTrue)
        chk_forced->setChecked(true);
    if (settings.get("pause", kFalse) == kTrue)
        chk_pause->setChecked(true);
    // 18. The icon in the notification area.
    buildTray();
    // 19. The version line.
    lab_vers->setText(QStringLiteral("This is version ") + QStringLiteral(QUELVO_VERSION));
    // 20. Start with the session; ticking here writes nothing.
    if (!m_services.autostart.GetRegString("").empty())
        chk_lww->setChecked(true);
    txt_hr->setEditText(qs(presets.hourText));
    if (presets.ampmText)
        com_am->setEditText(qs(*presets.ampmText));
    txt_min->setEditText(qs(presets.minuteText));
    // 23. Where the window last stood.
    adjustSize();
    std::vector<PixelRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->availableGeometry();
        screens.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    const double dpi = logicalDpiOf(*this);
    const PixelRect placed =
        placeWindow(settings.get("x", "50"), settings.get("y", "200"), {x(), y(), width(), height()}, dpi, screens);
    move(placed.left, placed.top);
    m_loaded = true;
    return true;
}

void FrmMain::buildTray()
{
    m_frmSysTray = new SysTray(this);
    for (const auto& entry : kTrayMenu) {
        const bool separator = entry.key[0] == '\0';
        m_frmSysTray->AddMenuItem(QString::fromLatin1(entry.caption), QString::fromLatin1(entry.key), !separator);
    }
    m_frmSysTray->setToolTip(QString::fromLatin1(kTrayTip));
    m_frmSysTray->setIcon(appIcon()); // settrayicon
    connect(m_frmSysTray, &SysTray::MenuClick, this, [this](int, const QString& key) { runTrayCommand(key); });
    connect(m_frmSysTray, &SysTray::SysTrayDoubleClick, this, [this](int) { showmainwindow(TabAbout); });
    connect(m_frmSysTray, &SysTray::SysTrayMouseDown, this, [this](int button) {
        if (button == 2)
            m_frmSysTray->ShowMenu();
    });
}

void FrmMain::alignTimer1()
{
    // Ticks at an arbitrary phase see a new minute up to a whole second late; ticks just past each
    // second boundary see it at once. The phase drifts only when the clock is set or the machine sleeps,
    // which the tick handler notices and comes back here for.
    if (m_aligning)
        return;
    m_aligning = true;
    const int msIntoSecond = static_cast<int>(QDateTime::currentMSecsSinceEpoch() % 1000);
    QTimer::singleShot(msToTickPhase(msIntoSecond), Qt::PreciseTimer, this, [this] {
        m_aligning = false;
        if (Timer1->isActive())
            Timer1->start();
    });
}

void FrmMain::Form_Unload()
{
    Timer1->stop();
    // A running countdown goes with the program: its action must not follow.
    for (const CountdownKind kind : {CountdownKind::Shutdown, CountdownKind::Reboot}) {
        if (CountdownWindow* window = CountdownWindow::find(kind))
            window->cancel();
    }
    if (m_frmSysTray) {
        // The icon goes now; the component itself once its menu has finished handling this choice.
        m_frmSysTray->trayIcon()->hide();
        m_frmSysTray->deleteLater();
        m_frmSysTray = nullptr;
    }
    if (m_services.endProgram)
        m_services.endProgram();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // The window's close button hides it; only "&Exit" ends the program.
    event->ignore();
    hidetotray();
}

bool FrmMain::twentyFourHour() const
{
    return savesIn24HourForm(m_services.settings);
}

bool FrmMain::trayAvailable() const
{
    return !m_services.trayAvailable || m_services.trayAvailable();
}

void FrmMain::showIoError(const QString& what, const IoResult& result)
{
    MessageBox::notify(this, qs(kErrorTitle), what + QStringLiteral(": ") + qs(result.error), MessageBox::Icon::Stop);
}

// ---- Event list

void FrmMain::loadlist()
{
    // Not modal: the checker goes on with the events the list had.
    if (const auto message = m_eventList.loadlist())
        MessageBox::notify(this, qs(message->title), qs(message->text), iconOf(message->icon));
    // A failed load kept the lists, so the widgets already show them (and keep their selection).
    if (!m_eventList.loadResult().ok())
        return;
    ListView1->clear();
    lst_events->clear();
    for (const auto& line : m_eventList.lst_events())
        lst_events->addItem(QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())));
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_eventList.rows().size()));
    for (const auto& row : m_eventList.rows()) {
        const auto& c = row.columns;
        items.append(new QTreeWidgetItem(QStringList{QString::fromLocal8Bit(c.timeAndDate.c_str()),
                                                     QString::fromLocal8Bit(c.action.c_str()),
                                                     QString::fromLocal8Bit(c.repeated.c_str())}));
    }
    // The rows come sorted from the logic (descending on the first column).
    ListView1->addTopLevelItems(items);
}

void FrmMain::deleteevent()
{
    std::optional<std::size_t> selected;
    if (QTreeWidgetItem* item = ListView1->currentItem(); item && item->isSelected())
        selected = static_cast<std::size_t>(ListView1->indexOfTopLevelItem(item));
    const ListOutcome outcome = m_eventList.deleteevent(selected);
    if (outcome.message) {
        MessageBox::ok(this, qs(outcome.message->title), qs(outcome.message->text), MessageBox::Icon::Information);
        return;
    }
    if (!outcome.io.ok())
        showIoError(QStringLiteral("Sorry, the event could not be deleted"), outcome.io);
    loadlist();
}

void FrmMain::deleteall()
{
    const auto question = EventList::deleteall();
    if (!MessageBox::yesNo(this, qs(question.title), qs(question.text)))
        return;
    const IoResult r = m_eventList.answerDeleteAll(true);
    if (!r.ok())
        showIoError(QStringLiteral("Sorry, the events could not be deleted"), r);
    loadlist();
}

// ---- Editor

void FrmMain::saveevent()
{
    EditorInput input;
    for (int i = 0; i < 7; ++i)
        input.days[static_cast<std::size_t>(i)] = chk_days[i]->isChecked();
    input.hour = ss(txt_hr->currentText());
    input.minute = ss(txt_min->currentText());
    input.ampm = ss(com_am->currentText());
    input.shutdown = chk_shutdown->isChecked();
    input.reboot = chk_reboot->isChecked();
    input.repeat = chk_repeat->isChecked();
    input.twentyFour = twentyFourHour();

    const SavePlan plan = planSave(input);
    if (!plan.ok()) {
        MessageBox::ok(this, qs(plan.error->title), qs(plan.error->text), iconOf(plan.error->icon));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    txt_hr->setEditText(qs(plan.hour));
    txt_min->setEditText(qs(plan.minute));
    if (!input.twentyFour)
        com_am->setEditText(qs(plan.ampm));
    IoResult failed;
    for (const auto& line : plan.lines) {
        if (IoResult r = m_schedule.append(line); !r.ok()) {
            failed = r;
            break;
        }
    }
    loadlist();
    QApplication::restoreOverrideCursor();
    if (!failed.ok()) {
        const UserMessage message = saveFailedMessage(m_schedule.eventsPath(), failed.error);
        MessageBox::ok(this, qs(message.title), qs(message.text), iconOf(message.icon));
        return;
    }
    SSTab1->setCurrentIndex(TabSchedules);
}

void FrmMain::selectalldays()
{
    DayBoxes days{};
    for (int i = 0; i < 7; ++i)
        days[static_cast<std::size_t>(i)] = chk_days[i]->isChecked();
    const DayBoxes next = quelvo::selectalldays(days);
    for (int i = 0; i < 7; ++i)
        chk_days[i]->setChecked(next[static_cast<std::size_t>(i)]);
}

void FrmMain::setclockmode()
{
    const ClockModeChange change =
        quelvo::setclockmode(Check1->isChecked(), m_services.settings.get("24hr", kFalse), m_services.clock.now());
    if (change.warning)
        MessageBox::ok(this, qs(change.warning->title), qs(change.warning->text), iconOf(change.warning->icon));
    m_services.settings.save("24hr", change.store24hr);
    com_am->setVisible(change.ampmVisible);
    Label9->setVisible(change.ampmVisible);
    fillCombo(txt_hr, change.hourList);
    txt_hr->setEditText(qs(change.hourText));
    if (change.ampmList) {
        fillCombo(com_am, *change.ampmList);
        com_am->setEditText(qs(change.ampmText.value_or("")));
    }
}

void FrmMain::quickaction(int index)
{
    const QuickActionMember& member = kQuickActions[static_cast<std::size_t>(index)];
    const QuickActionFill fill =
        quelvo::quickaction(member.minutes, member.reboot, Check1->isChecked(), m_services.clock);
    chk_repeat->setChecked(fill.repeat);
    for (int i = 0; i < 7; ++i)
        chk_days[i]->setChecked(fill.days[static_cast<std::size_t>(i)]);
    txt_hr->setEditText(qs(fill.hour));
    txt_min->setEditText(qs(fill.minute));
    if (fill.ampm)
        com_am->setEditText(qs(*fill.ampm));
    chk_shutdown->setChecked(fill.shutdown);
    chk_reboot->setChecked(fill.reboot);
    com_save->click();
    if (HintWindow* hint = HintWindow::open())
        hint->showConfirmation(qs(fill.message));
}

// ---- Tray, hiding and showing

void FrmMain::hidetotray()
{
    if (trayAvailable()) {
        showMinimized();
        hide();
    } else {
        // Without a notification area the window could not be brought back: keep it on the task bar.
        showMinimized();
    }
    m_services.settings.save("hide", "1");
    if (countHideToTray(m_services.settings))
        openHint();
}

void FrmMain::keepReachable()
{
    // A notification area that went away took the only way back to a hidden window with it.
    if (m_loaded && isHidden() && !trayAvailable())
        showMinimized();
}

void FrmMain::anotherCopyStarted(bool showWindow)
{
    // With an icon in the notification area the user has a way back already; leave the window
    // alone unless the later copy came from the application menu to show it.
    if (!m_loaded || (!showWindow && trayAvailable()))
        return;
    showmainwindow(-1);
}

void FrmMain::showmainwindow(int tab)
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
    if (tab >= 0)
        SSTab1->setCurrentIndex(tab);
    m_checker.setAutohidden(false);
    m_services.settings.save("hide", "0");
}

void FrmMain::powerNow(CountdownKind kind, bool forced)
{
    CountdownWindow* window = CountdownWindow::open(kind, countdownHooks());
    if (!window)
        return;
    window->setSecondsText(QStringLiteral("0"));
    if (forced)
        chk_forced->setChecked(true);
    window->zerocount();
}

void FrmMain::runTrayCommand(const QString& key)
{
    if (key == QLatin1String("show"))
        showmainwindow(-1);
    else if (key == QLatin1String("set"))
        showmainwindow(TabSettings);
    else if (key == QLatin1String("delete"))
        showmainwindow(TabSchedules);
    else if (key == QLatin1String("about"))
        showmainwindow(TabAbout);
    else if (key == QLatin1String("shutdown"))
        powerNow(CountdownKind::Shutdown, false);
    else if (key == QLatin1String("shutdownforce"))
        powerNow(CountdownKind::Shutdown, true);
    else if (key == QLatin1String("reboot"))
        powerNow(CountdownKind::Reboot, false);
    else if (key == QLatin1String("exit"))
        Form_Unload();
    else {
        for (std::size_t i = 0; i < kQuickActions.size(); ++i) {
            if (key == qs(kQuickActions[i].menuKey)) {
                quickButtons[i]->click();
                return;
            }
        }
    }
}

// ---- CheckerHost

bool FrmMain::windowIsNormal() const
{
    return !isMinimized() && !isMaximized();
}

bool FrmMain::hideToTray()
{
    // Without a notification area a hidden window could not be brought back.
    if (!trayAvailable())
        return false;
    showMinimized();
    hide();
    return true;
}

void FrmMain::openHint()
{
    HintWindow::open();
}

const std::vector<std::string>& FrmMain::lstEvents() const
{
    return m_eventList.lst_events();
}

IoResult FrmMain::dropevent(const std::string& matchedLine)
{
    const IoResult r = m_schedule.dropevent(matchedLine);
    loadlist();
    return r;
}

CountdownHooks FrmMain::countdownHooks()
{
    CountdownHooks hooks;
    // "Forced shut down" counts as it stands when the count reaches zero.
    hooks.forcedAtZero = [window = QPointer<FrmMain>(this)] { return window && window->chk_forced->isChecked(); };
    hooks.act = m_services.powerAction;
    hooks.endProgram = m_services.endProgram;
    return hooks;
}

void FrmMain::openCountdown(bool reboot)
{
    const CountdownKind kind = reboot ? CountdownKind::Reboot : CountdownKind::Shutdown;
    CountdownWindow::open(kind, countdownHooks());
    if (m_services.countdownOpened)
        m_services.countdownOpened(kind);
}

// ---- Dragging and the position memory

void FrmMain::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !m_dragging) {
        m_grab = event->globalPosition().toPoint();
        m_dragStart = pos();
        m_dragging = true;
    }
    QWidget::mousePressEvent(event);
}

void FrmMain::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(m_dragStart + (event->globalPosition().toPoint() - m_grab));
    }
    storePosition();
    QWidget::mouseMoveEvent(event);
}

void FrmMain::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void FrmMain::storePosition()
{
    const double dpi = logicalDpiOf(*this);
    m_services.settings.save("x", formatTwips(static_cast<float>(pixelsToTwips(x(), dpi))));
    m_services.settings.save("y", formatTwips(static_cast<float>(pixelsToTwips(y(), dpi))));
}

} // namespace quelvo
