// The widgets of the main window: captions, tooltips and object names.
#include "ui/frm_main.h"

#include "schedule/quick_action.h"
#include "shell/main_window_text.h"

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
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quelvo {

namespace {

template <typename W> W* named(W* widget, std::string_view objectName, std::string_view tip = {})
{
    widget->setObjectName(qs(objectName));
    if (!tip.empty())
        widget->setToolTip(qs(tip));
    return widget;
}

// A widget with the caption, name and tooltip every face gives it.
template <typename W> W* control(const ControlText& text)
{
    return named(new W(qs(text.caption)), text.name, text.tooltip);
}

QComboBox* editableCombo(const ControlText& text)
{
    auto* box = named(new QComboBox, text.name, text.tooltip);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(12);
    return box;
}

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

QPushButton* FrmMain::makeHidePicture(MainTab tab)
{
    auto* button = named(new QPushButton(qs(kHidePicture.caption)), kHidePictureNames[static_cast<std::size_t>(tab)],
                         kHidePicture.tooltip);
    const int side = scaledPixels(kHidePicturePixels, *this);
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
    const int side = scaledPixels(kAboutIconPixels, *this);
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

    Label2 = named(new QLabel(qs(kDescription)), "Label2");
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

    chk_lww = control<QCheckBox>(kLoadWithWindowsBox);
    chk_pause = control<QCheckBox>(kStartupDelayBox);
    layout->addWidget(chk_lww);
    layout->addWidget(chk_pause);

    hidePictures[0] = makeHidePicture(MainTab::About);
    footRow(layout, hidePictures[0]);
    return page;
}

QWidget* FrmMain::buildSettingsTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* intro = new QLabel(qs(kInstructions));
    intro->setWordWrap(true);
    keepWrappedLines(intro, listWidth(*this, 1));
    layout->addWidget(intro);

    auto* days = new QGroupBox(qs(kDayFrameCaption));
    auto* daysLayout = new QVBoxLayout(days);
    daysLayout->addWidget(new QLabel(qs(kDayFrameHint)));
    auto* dayRow = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        chk_days[i] = control<QCheckBox>(kDayBoxes[static_cast<std::size_t>(i)]);
        dayRow->addWidget(chk_days[i]);
    }
    dayRow->addStretch(1);
    Command1 = control<QPushButton>(kSelectAllButton);
    Command1->setAutoDefault(false);
    dayRow->addWidget(Command1);
    daysLayout->addLayout(dayRow);
    layout->addWidget(days);

    auto* timeBox = new QGroupBox(qs(kTimeFrameCaption));
    auto* timeLayout = new QVBoxLayout(timeBox);
    auto* timeRow = new QHBoxLayout;
    timeLayout->addLayout(timeRow);
    auto* grid = new QGridLayout;
    timeRow->addLayout(grid);
    txt_hr = editableCombo(kEditorCombos[0]);
    txt_min = editableCombo(kEditorCombos[1]);
    com_am = editableCombo(kEditorCombos[2]);
    // The three boxes share one width, wide enough for "00" or "AM" and the arrow.
    const int comboWidth = std::max(fontMetrics().horizontalAdvance(QStringLiteral("00000")),
                                    fontMetrics().horizontalAdvance(QStringLiteral("AMPM"))) +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + scaledPixels(16, *this);
    for (QComboBox* box : {txt_hr, txt_min, com_am})
        box->setFixedWidth(comboWidth);
    Label9 = control<QLabel>(kAmPmLabel);
    auto* hourLabel = new QLabel(qs(kHourLabel));
    auto* minuteLabel = new QLabel(qs(kMinuteLabel));
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

    auto* action = new QGroupBox(qs(kActionFrameCaption));
    auto* actionLayout = new QHBoxLayout(action);
    chk_shutdown = control<QCheckBox>(kShutdownBox);
    chk_reboot = control<QCheckBox>(kRebootBox);
    actionLayout->addWidget(chk_shutdown);
    actionLayout->addWidget(chk_reboot);
    timeRow->addSpacing(layout->spacing() * 2);
    timeRow->addWidget(action, 0, Qt::AlignBottom);
    timeRow->addStretch(1);

    chk_repeat = control<QCheckBox>(kRepeatBox);
    com_save = control<QPushButton>(kSaveButton);
    com_save->setDefault(true);
    com_save->setMinimumWidth(scaledPixels(96, *this));
    auto* saveRow = new QHBoxLayout;
    timeLayout->addLayout(saveRow);
    saveRow->addWidget(chk_repeat);
    saveRow->addStretch(1);
    saveRow->addWidget(com_save);
    layout->addWidget(timeBox);
    layout->addStretch(1);

    Check1 = control<QCheckBox>(kTwentyFourBox);
    chk_forced = control<QCheckBox>(kForcedBox);
    hidePictures[1] = makeHidePicture(MainTab::Settings);
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
    ListView1->setHeaderLabels({qs(kListColumns[0]), qs(kListColumns[1]), qs(kListColumns[2])});
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

    com_del = control<QPushButton>(kDeleteSelectedButton);
    Command2 = control<QPushButton>(kDeleteAllButton);
    for (QPushButton* button : {com_del, Command2})
        button->setAutoDefault(false);
    hidePictures[2] = makeHidePicture(MainTab::Schedules);
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
        auto* frame = new QGroupBox(qs(kQuickActions[static_cast<std::size_t>(group) * 4].frame));
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
    hidePictures[3] = makeHidePicture(MainTab::Sleep);
    footRow(layout, hidePictures[3]);
    return page;
}

QWidget* FrmMain::buildOptionsTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& [box, text] : {std::pair{&txt_warn, &kWarnBox}, std::pair{&txt_postpone, &kPostponeBox}}) {
        *box = named(new QSpinBox, text->box.name, text->box.tooltip);
        (*box)->setRange(text->range.least, text->range.most);
        (*box)->setKeyboardTracking(false); // a value counts once typed in full, not at each digit
        (*box)->setFixedWidth(scaledPixels(kMinutesBoxPixels, *this));
        auto* label = new QLabel(qs(text->box.caption));
        label->setBuddy(*box);
        grid->addWidget(label, row, 0);
        grid->addWidget(*box, row++, 1);
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    chk_nexttip = control<QCheckBox>(kNextTipBox);
    layout->addWidget(chk_nexttip);
    layout->addSpacing(layout->spacing());
    lab_next = named(new QLabel, kNextLineName);
    lab_next->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lab_next);
    auto* buttons = new QHBoxLayout;
    com_postponenext = control<QPushButton>(kPostponeNextButton);
    com_skipnext = control<QPushButton>(kSkipNextButton);
    for (QPushButton* button : {com_postponenext, com_skipnext}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    hidePictures[4] = makeHidePicture(MainTab::Options);
    footRow(layout, hidePictures[4]);
    return page;
}

} // namespace quelvo
