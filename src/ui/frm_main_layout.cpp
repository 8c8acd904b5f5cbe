// The widgets of the main window: captions, tooltips and object names.
#include "ui/frm_main.h"

#include "schedule/event_line.h"
#include "schedule/quick_action.h"

#include "ui/app_icon.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quelvo {

namespace {

constexpr const char* kDayNames[7] = {"chk_mon", "chk_tue", "chk_wed", "chk_thu", "chk_fri", "chk_sat", "chk_sun"};
constexpr const char* kDayTips[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

const char* const kDescription =
    "Quelvo! was designed to simplify the automation of shutting down and re booting your computer at specific times "
    "during the day and night. You can set an unlimited ammount of shut down and re boot settings, you could even set "
    "your computer to re boot everyminute if you wished.";
const char* const kInstructions =
    "To make your PC shut down or re boot at a certain time, do the following. Select the day that you wish the re "
    "boot or shut down to take place. Then select the time of the event. Finally press the 'Save' button.";

template <typename W> W* named(W* widget, const char* objectName, const char* tip = nullptr)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    if (tip)
        widget->setToolTip(QString::fromLatin1(tip));
    return widget;
}

QComboBox* editableCombo(const char* objectName, const char* tip)
{
    auto* box = named(new QComboBox, objectName, tip);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(12);
    return box;
}

// Each column of the event list is this wide, whatever the screen.
constexpr double kListColumnTwips = 2380;
constexpr int kAboutIconAt96 = 48;
constexpr int kHideIconAt96 = 16;

// The row at the foot of every tab: the tab's own controls on the left, the hide picture on the right.
QHBoxLayout* footRow(QVBoxLayout* page, QPushButton* hidePicture)
{
    auto* row = new QHBoxLayout;
    page->addLayout(row);
    row->addStretch(1);
    row->addWidget(hidePicture, 0, Qt::AlignBottom);
    return row;
}

// Adds `widget` to the foot row, before the stretch that pushes the hide picture right.
void addToFoot(QHBoxLayout* row, QWidget* widget)
{
    row->insertWidget(row->count() - 2, widget);
}

// The width of the event list with its three columns side by side and room for a scroll bar;
// the window is never narrower, so wrapped texts are laid out for at least this width.
int listWidth(const QWidget& window, int frameWidth)
{
    const int column = twipsToPixels(kListColumnTwips, logicalDpiOf(window));
    return 3 * column + 2 * frameWidth + window.style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
           scaledPixels(2, window);
}

// A wrapped text asks for the lines it needs at the narrowest the window gets: the minimum size of a
// window does not follow wrapping, and a window squeezed to it would clip the controls below.
void keepWrappedLines(QLabel* label, int width)
{
    label->setMinimumHeight(label->heightForWidth(width));
}

} // namespace

QPushButton* FrmMain::makeHidePicture(const char* objectName)
{
    auto* button = named(new QPushButton(tr("Hide to tray")), objectName, "Hide this window in the notification area");
    const int side = scaledPixels(kHideIconAt96, *this);
    button->setIcon(hideToTrayIcon());
    button->setIconSize(QSize(side, side));
    button->setCursor(Qt::PointingHandCursor);
    // A picture, not a default button: Return belongs to "Save".
    button->setAutoDefault(false);
    return button;
}

QWidget* FrmMain::buildAboutTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* header = new QHBoxLayout;
    header->setSpacing(layout->spacing() * 2);
    imgicon = named(new QLabel, "imgicon");
    const int side = scaledPixels(kAboutIconAt96, *this);
    imgicon->setFixedSize(side, side);
    imgicon->setPixmap(appPicture(side, devicePixelRatioF()));
    imgicon->setAccessibleName(QStringLiteral("Quelvo"));
    imgicon->setAccessibleDescription(QStringLiteral("The program's icon"));
    header->addWidget(imgicon, 0, Qt::AlignTop);
    Label1 = named(new QLabel, "Label1");
    Label1->setWordWrap(true);
    Label1->setOpenExternalLinks(true);
    Label1->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                    Qt::LinksAccessibleByKeyboard); // the link is reached with Tab too
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    header->addWidget(Label1, 1);
    layout->addLayout(header);
    layout->addSpacing(layout->spacing());

    Label2 = named(new QLabel(QString::fromLatin1(kDescription)), "Label2");
    Label2->setWordWrap(true);
    keepWrappedLines(Label2, listWidth(*this, 1));
    layout->addWidget(Label2);
    layout->addSpacing(layout->spacing());

    lab_vers = named(new QLabel, "lab_vers");
    lab_windows = named(new QLabel, "lab_windows");
    for (QLabel* line : {lab_vers, lab_windows}) {
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setForegroundRole(QPalette::PlaceholderText);
        layout->addWidget(line);
    }
    layout->addStretch(1);

    chk_lww = named(new QCheckBox(QStringLiteral("Load with windows")), "chk_lww",
                    "Click here to make this software load with windows.");
    chk_pause =
        named(new QCheckBox(QStringLiteral("Add a 20 second time delay when starting up (if you get repeat reboots)")),
              "chk_pause");
    layout->addWidget(chk_lww);
    layout->addWidget(chk_pause);

    hidePictures[0] = makeHidePicture("image3");
    footRow(layout, hidePictures[0]);
    return page;
}

QWidget* FrmMain::buildSettingsTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* intro = new QLabel(QString::fromLatin1(kInstructions));
    intro->setWordWrap(true);
    keepWrappedLines(intro, listWidth(*this, 1));
    layout->addWidget(intro);

    auto* days = new QGroupBox(QStringLiteral("Day selection"));
    auto* daysLayout = new QVBoxLayout(days);
    daysLayout->addWidget(new QLabel(QStringLiteral("Select which days you wish this event to run")));
    auto* dayRow = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        chk_days[i] = named(new QCheckBox(qs(kEditorDays[i])), kDayNames[i], kDayTips[i]);
        dayRow->addWidget(chk_days[i]);
    }
    dayRow->addStretch(1);
    Command1 = named(new QPushButton(QStringLiteral("Select all")), "Command1",
                     "Click here to select or de-select all of the days");
    Command1->setAutoDefault(false);
    dayRow->addWidget(Command1);
    daysLayout->addLayout(dayRow);
    layout->addWidget(days);

    auto* timeBox = new QGroupBox(QStringLiteral("Time and event settings"));
    auto* timeLayout = new QVBoxLayout(timeBox);
    auto* timeRow = new QHBoxLayout;
    timeLayout->addLayout(timeRow);
    auto* grid = new QGridLayout;
    timeRow->addLayout(grid);
    txt_hr = editableCombo("txt_hr", "Enter the hour of the event in here");
    txt_min = editableCombo("txt_min", "Enter the minute of the event in here");
    com_am = editableCombo("com_am", "Choose from AM or PM");
    // The three boxes share one width, wide enough for "00" or "AM" and the arrow.
    const int comboWidth = std::max(fontMetrics().horizontalAdvance(QStringLiteral("00000")),
                                    fontMetrics().horizontalAdvance(QStringLiteral("AMPM"))) +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + scaledPixels(16, *this);
    for (QComboBox* box : {txt_hr, txt_min, com_am})
        box->setFixedWidth(comboWidth);
    Label9 = named(new QLabel(QStringLiteral("AM/PM")), "Label9");
    auto* hourLabel = new QLabel(QStringLiteral("Hour"));
    auto* minuteLabel = new QLabel(QStringLiteral("Minute"));
    hourLabel->setBuddy(txt_hr);
    minuteLabel->setBuddy(txt_min);
    Label9->setBuddy(com_am);
    grid->addWidget(hourLabel, 0, 0);
    grid->addWidget(minuteLabel, 0, 1);
    grid->addWidget(Label9, 0, 2);
    grid->addWidget(txt_hr, 1, 0);
    grid->addWidget(txt_min, 1, 1);
    grid->addWidget(com_am, 1, 2);
    // The AM/PM column keeps its place when the 24-hour clock hides it, so nothing jumps.
    grid->setColumnMinimumWidth(2, comboWidth);

    auto* action = new QGroupBox(QStringLiteral("Action"));
    auto* actionLayout = new QHBoxLayout(action);
    chk_shutdown = named(new QCheckBox(QStringLiteral("Shut down")), "chk_shutdown",
                         "Click here to make the event Shut Down the computer");
    chk_reboot = named(new QCheckBox(QStringLiteral("Re boot")), "chk_reboot",
                       "Click here to make the event Re Boot the computer");
    actionLayout->addWidget(chk_shutdown);
    actionLayout->addWidget(chk_reboot);
    timeRow->addSpacing(layout->spacing() * 2);
    timeRow->addWidget(action, 0, Qt::AlignBottom);
    timeRow->addStretch(1);

    chk_repeat =
        named(new QCheckBox(QStringLiteral("Repeat")), "chk_repeat", "Clicking here will make the appointment repeat");
    com_save = named(new QPushButton(QStringLiteral("&Save")), "com_save", "Click here to save this event");
    com_save->setDefault(true);
    com_save->setMinimumWidth(scaledPixels(96, *this));
    auto* saveRow = new QHBoxLayout;
    timeLayout->addLayout(saveRow);
    saveRow->addWidget(chk_repeat);
    saveRow->addStretch(1);
    saveRow->addWidget(com_save);
    layout->addWidget(timeBox);
    layout->addStretch(1);

    Check1 = named(new QCheckBox(QStringLiteral("Use 24 hour clock")), "Check1",
                   "Click here to use a 24 hour clock instead of 12 hour.");
    chk_forced = named(new QCheckBox(QStringLiteral("Forced shut down")), "chk_forced");
    hidePictures[1] = makeHidePicture("Image2");
    QHBoxLayout* foot = footRow(layout, hidePictures[1]);
    addToFoot(foot, Check1);
    addToFoot(foot, chk_forced);
    return page;
}

QWidget* FrmMain::buildSchedulesTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    ListView1 = named(new QTreeWidget, "ListView1");
    ListView1->setAccessibleName(QStringLiteral("Events"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAlternatingRowColors(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setHeaderLabels(
        {QStringLiteral("Time and Date"), QStringLiteral("Action"), QStringLiteral("Repeated?")});
    QHeaderView* header = ListView1->header();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    const int column = twipsToPixels(kListColumnTwips, logicalDpiOf(*this));
    header->setMinimumSectionSize(column / 2);
    for (int i = 0; i < 3; ++i)
        ListView1->setColumnWidth(i, column);
    // The window's width follows from the list's.
    ListView1->setMinimumWidth(listWidth(*this, ListView1->frameWidth()));
    layout->addWidget(ListView1);

    // The raw lines in file order; never shown, the checker scans them.
    lst_events = named(new QListWidget(page), "lst_events");
    lst_events->hide();

    com_del = named(new QPushButton(QStringLiteral("Delete Selected")), "com_del",
                    "Select an event from the aboce list and then click here to Delete them");
    Command2 = named(new QPushButton(QStringLiteral("Delete All")), "Command2",
                     "Click here to delete all entries from the above list");
    for (QPushButton* button : {com_del, Command2})
        button->setAutoDefault(false);
    hidePictures[2] = makeHidePicture("Image1");
    QHBoxLayout* foot = footRow(layout, hidePictures[2]);
    addToFoot(foot, com_del);
    addToFoot(foot, Command2);
    return page;
}

QWidget* FrmMain::buildSleepTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* frames = new QHBoxLayout;
    frames->setSpacing(layout->spacing() * 2);
    // The buttons come from the quick actions' table, four to a frame.
    for (int group = 0; group < 2; ++group) {
        auto* frame = new QGroupBox(qs(kQuickActions[static_cast<std::size_t>(group * 4)].frame));
        auto* column = new QVBoxLayout(frame);
        column->setSpacing(column->spacing() + 2);
        for (int i = 0; i < 4; ++i) {
            const int index = group * 4 + i;
            const QuickActionMember& member = kQuickActions[static_cast<std::size_t>(index)];
            auto* button = new QPushButton(qs(member.caption));
            button->setObjectName(qs(member.button));
            button->setToolTip(qs(member.tooltip));
            button->setAutoDefault(false);
            button->setMinimumHeight(button->sizeHint().height() + scaledPixels(4, *this));
            quickButtons[index] = button;
            column->addWidget(button);
        }
        frames->addWidget(frame);
    }
    layout->addLayout(frames);
    layout->addStretch(1);
    hidePictures[3] = makeHidePicture("Picture1");
    footRow(layout, hidePictures[3]);
    return page;
}

} // namespace quelvo
