#include "ui/frm_main.h"

#include "shell/main_access_keys.h"
#include "shell/main_window_text.h"

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
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace quelvo {

namespace {

QString local8Bit(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

FrmMain::FrmMain(MainWindowServices services, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(qs(kMainTitle));
    setWindowIcon(appIcon());
    buildWindow();
    m_frmSysTray = new SysTray(this);
    m_presenter = std::make_unique<MainPresenter>(std::move(services), *this);
    connectControls();
}

FrmMain::~FrmMain()
{
    m_presenter.reset(); // takes the tray icon and any countdown with it while their windows exist
}

void FrmMain::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    // Never smaller than its contents, even on a small screen where adjustSize would squeeze it.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    lab_policy = new QLabel(this);
    lab_policy->setObjectName(qs(kPolicyLineName));
    lab_policy->setWordWrap(true);
    lab_policy->hide();
    layout->addWidget(lab_policy);
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildAboutTab(), qs(kTabCaptions[0]));
    SSTab1->addTab(buildSettingsTab(), qs(kTabCaptions[1]));
    SSTab1->addTab(buildSchedulesTab(), qs(kTabCaptions[2]));
    SSTab1->addTab(buildSleepTab(), qs(kTabCaptions[3]));
    SSTab1->addTab(buildOptionsTab(), qs(kTabCaptions[4]));
    layout->addWidget(SSTab1);
    // The hide pictures, made before the controls beside them, come last on their pages.
    setTabOrder(chk_forced, hidePictures[1]);
    setTabOrder(Command2, hidePictures[2]);

    for (auto* button : findChildren<QAbstractButton*>())
        button->setText(qs(withAccessKey(ss(button->text()))));
    for (auto* group : findChildren<QGroupBox*>())
        group->setTitle(qs(withAccessKey(ss(group->title()))));
    for (auto* label : findChildren<QLabel*>()) {
        if (label->buddy())
            label->setText(qs(withAccessKey(ss(label->text()))));
    }

    // Pointer moves over the background, the tab control and its pages are tracked for the position
    // memory. The pages sit in a stack inside the tab control, which must see the moves too.
    setMouseTracking(true);
    QList<QWidget*> surfaces{SSTab1};
    for (int i = 0; i < SSTab1->count(); ++i)
        surfaces << SSTab1->widget(i) << SSTab1->widget(i)->parentWidget();
    for (QWidget* surface : surfaces) {
        surface->setMouseTracking(true);
        surface->installEventFilter(this);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
}

void FrmMain::connectControls()
{
    MainPresenter* p = m_presenter.get();
    connect(Command1, &QPushButton::clicked, this, [p] { p->selectalldays(); });
    connect(com_save, &QPushButton::clicked, this, [p] { p->saveevent(); });
    connect(com_del, &QPushButton::clicked, this, [p] { p->deleteevent(); });
    connect(Command2, &QPushButton::clicked, this, [p] { p->deleteall(); });
    connect(Check1, &QCheckBox::clicked, this, [p] { p->setclockmode(); });
    connect(chk_forced, &QCheckBox::clicked, this, [p] { p->optionClicked(MainBox::Forced); });
    connect(chk_pause, &QCheckBox::clicked, this, [p] { p->optionClicked(MainBox::Pause); });
    connect(chk_nexttip, &QCheckBox::clicked, this, [p] { p->optionClicked(MainBox::NextTip); });
    connect(txt_warn, &QSpinBox::valueChanged, this, [p] { p->minutesChanged(MainSpin::Warn); });
    connect(txt_postpone, &QSpinBox::valueChanged, this, [p] { p->minutesChanged(MainSpin::Postpone); });
    connect(com_postponenext, &QPushButton::clicked, this, [p] { p->postponeNext(); });
    connect(com_skipnext, &QPushButton::clicked, this, [p] { p->skipNext(); });
    for (std::size_t i = 0; i < 8; ++i)
        connect(quickButtons[i], &QPushButton::clicked, this, [p, i] { p->quickaction(i); });
    for (auto* picture : hidePictures)
        connect(picture, &QPushButton::clicked, this, [p] { p->hidetotray(); });
    // Return saves on the Settings tab, wherever the focus is there: outside a dialog no button is
    // the default one.
    auto* returnKey = new QShortcut(this);
    returnKey->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    connect(returnKey, &QShortcut::activated, this,
            [this, p] { p->returnPressed(static_cast<MainTab>(SSTab1->currentIndex())); });
    connect(Timer1, &QTimer::timeout, this, [this, p] {
        // Restarted only when its period changes or a tick came out of phase; the tick may have stopped it.
        const int period = p->timer1Tick();
        if (Timer1->isActive() && (period != kTickPeriodMs || Timer1->interval() != kTickPeriodMs))
            Timer1->start(period);
    });
    connect(m_frmSysTray->menu(), &QMenu::aboutToShow, this, [p] { p->trayMenuOpened(); });
    connect(m_frmSysTray, &SysTray::MenuClick, this, [p](int, const QString& key) { p->runTrayCommand(ss(key)); });
    connect(m_frmSysTray, &SysTray::SysTrayDoubleClick, this, [p](int) { p->trayDoubleClick(); });
    connect(m_frmSysTray, &SysTray::SysTrayMouseDown, this, [p](int button) { p->trayMouseDown(button); });

    // A toggle by the user, with the pointer or the keyboard, has its effect; a release that is no click
    // (a right button, a drag off the box) and a change made by the program have none.
    connect(chk_lww, &QCheckBox::clicked, this, [p] { p->autostartClicked(); });
    connect(chk_shutdown, &QCheckBox::clicked, this, [p] { p->actionClicked(MainBox::Shutdown); });
    connect(chk_reboot, &QCheckBox::clicked, this, [p] { p->actionClicked(MainBox::Reboot); });
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The tab control and its pages are background too: the window is dragged by them and remembers
    // where it stands on every pointer move over them. Taken here, so a move is handled once.
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (!mouse)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mousePressEvent(mouse);
        return true;
    case QEvent::MouseMove:
        mouseMoveEvent(mouse);
        return true;
    case QEvent::MouseButtonRelease:
        mouseReleaseEvent(mouse);
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // The window's close button hides it; only "&Exit" ends the program.
    event->ignore();
    m_presenter->hidetotray();
}

// ---- MainView

QCheckBox* FrmMain::box(MainBox which) const
{
    const int index = static_cast<int>(which);
    if (index <= static_cast<int>(MainBox::Sunday))
        return chk_days[index];
    QCheckBox* const others[] = {chk_shutdown, chk_reboot, chk_repeat, Check1,
                                 chk_forced,   chk_pause,  chk_lww,    chk_nexttip};
    return others[index - static_cast<int>(MainBox::Shutdown)];
}

QComboBox* FrmMain::combo(MainCombo which) const
{
    QComboBox* const combos[] = {txt_hr, txt_min, com_am};
    return combos[static_cast<int>(which)];
}

void FrmMain::setLabel(MainLabel label, const std::string& text)
{
    (label == MainLabel::Version ? lab_vers : lab_windows)->setText(qs(text));
}

void FrmMain::setWelcome(const WelcomeText& welcome)
{
    Label1->setText(qs(welcome.before).toHtmlEscaped() +
                    QStringLiteral("<a href=\"%1\">%1</a>").arg(qs(welcome.link).toHtmlEscaped()) +
                    qs(welcome.after).toHtmlEscaped());
}

std::string FrmMain::text(MainCombo which) const
{
    return ss(combo(which)->currentText());
}

void FrmMain::setText(MainCombo which, const std::string& text)
{
    combo(which)->setEditText(qs(text));
}

void FrmMain::fill(MainCombo which, const std::vector<std::string>& items)
{
    QComboBox* box = combo(which);
    box->clear();
    for (const auto& item : items)
        box->addItem(qs(item));
}

void FrmMain::setAmPmVisible(bool visible)
{
    com_am->setVisible(visible);
    Label9->setVisible(visible);
}

void FrmMain::showEvents(const std::vector<std::string>& lines, const std::vector<ListRow>& rows)
{
    ListView1->clear();
    lst_events->clear();
    for (const auto& line : lines)
        lst_events->addItem(local8Bit(line));
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& row : rows) {
        const auto& c = row.columns;
        items.append(
            new QTreeWidgetItem(QStringList{local8Bit(c.timeAndDate), local8Bit(c.action), local8Bit(c.repeated)}));
    }
    ListView1->addTopLevelItems(items);
}

std::optional<std::size_t> FrmMain::selectedRow() const
{
    QTreeWidgetItem* item = ListView1->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    return static_cast<std::size_t>(ListView1->indexOfTopLevelItem(item));
}

int FrmMain::value(MainSpin which) const
{
    return (which == MainSpin::Warn ? txt_warn : txt_postpone)->value();
}

void FrmMain::setValue(MainSpin which, int minutes)
{
    QSpinBox* box = which == MainSpin::Warn ? txt_warn : txt_postpone;
    const QSignalBlocker quiet(box); // only the user's changes reach the presenter
    box->setValue(minutes);
}

void FrmMain::setNextText(const std::string& text)
{
    lab_next->setText(qs(text));
}

void FrmMain::setNextButtons(bool postpone, bool skip)
{
    com_postponenext->setEnabled(postpone);
    com_skipnext->setEnabled(skip);
}

void FrmMain::setControlEnabled(std::string_view control, bool enabled)
{
    if (auto* widget = findChild<QWidget*>(qs(control)))
        widget->setEnabled(enabled);
}

void FrmMain::setPolicyLine(const std::string& text)
{
    lab_policy->setText(qs(text));
    lab_policy->setVisible(!text.empty());
    // The window's minimum size does not follow wrapping: the line asks for what it needs above the tabs.
    lab_policy->setMinimumHeight(text.empty() ? 0 : lab_policy->heightForWidth(SSTab1->sizeHint().width()));
}

void FrmMain::showMessage(const UserMessage& message)
{
    MessageBox::ok(this, qs(message.title), qs(message.text),
                   message.icon == MessageIcon::Stop ? MessageBox::Icon::Stop : MessageBox::Icon::Information);
}

bool FrmMain::ask(const UserQuestion& question)
{
    return MessageBox::yesNo(this, qs(question.title), qs(question.text));
}

void FrmMain::showError(const std::string& text)
{
    MessageBox::notify(this, qs(kErrorTitle), qs(text), MessageBox::Icon::Stop);
}

void FrmMain::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void FrmMain::hideWindow()
{
    hide();
    // Hidden in the notification area, the window keeps its widgets but gives back its platform
    // window and the image it is drawn into; showing it makes them anew, where it stood.
    destroy();
}

void FrmMain::restoreWindow()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

PixelRect FrmMain::fitToContents()
{
    adjustSize();
    return frame();
}

bool FrmMain::canPlaceWindow() const
{
    // Wayland compositors place every window themselves ("wayland", "wayland-egl").
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void FrmMain::startSystemMove()
{
    // The compositor needs the press that is being handled, so this runs inside its handler.
    if (QWindow* window = windowHandle())
        (void)window->startSystemMove();
}

double FrmMain::logicalDpi() const
{
    return logicalDpiOf(*this);
}

std::vector<PixelRect> FrmMain::screens() const
{
    std::vector<PixelRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->availableGeometry();
        screens.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    return screens;
}

TrayView& FrmMain::tray()
{
    return *m_frmSysTray;
}

CountdownView* FrmMain::makeCountdown(CountdownKind kind, CountdownControls& presenter)
{
    return new CountdownWindow(kind, presenter);
}

HintView* FrmMain::makeHint(HintPresenter& presenter)
{
    return new HintWindow(presenter);
}

// ---- The pointer over the background and the tab control

void FrmMain::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->globalPosition().toPoint();
    m_presenter->pointerPressed(static_cast<int>(event->button()), at.x(), at.y());
    QWidget::mousePressEvent(event);
}

void FrmMain::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->globalPosition().toPoint();
    m_presenter->pointerMoved(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void FrmMain::mouseReleaseEvent(QMouseEvent* event)
{
    m_presenter->pointerReleased();
    QWidget::mouseReleaseEvent(event);
}

} // namespace quelvo
