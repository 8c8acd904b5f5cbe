// The controls of the main window: captions, tooltips, names and where they stand.
#include "platform/windows/wide_text.h"
#include "schedule/quick_action.h"
#include "shell/main_access_keys.h"
#include "shell/main_window_text.h"
#include "shell/window_position.h"
#include "ui/win32/main_window_state.h"
#include "ui/win32/pictures.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

namespace quelvo::win32 {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFrame = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT;

// Measures texts in the window's font.
class Measure
{
public:
    Measure(HWND window, HFONT font) : m_window(window), m_dc(GetDC(window)), m_old(SelectObject(m_dc, font))
    {
        TEXTMETRICW metrics{};
        GetTextMetricsW(m_dc, &metrics);
        line = metrics.tmHeight;
    }
    ~Measure()
    {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_window, m_dc);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    [[nodiscard]] int width(const std::wstring& text) const
    {
        RECT r{0, 0, 0, 0};
        DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        return r.right;
    }
    [[nodiscard]] int height(const std::wstring& text, int width) const
    {
        RECT r{0, 0, width, 0};
        DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return r.bottom;
    }
    [[nodiscard]] int width(HWND control) const { return width(windowText(control)); }

    static std::wstring windowText(HWND control)
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    int line = 16;

private:
    HWND m_window;
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace

HWND MainWindow::State::add(HWND parent, const wchar_t* windowClass, int id, std::string_view name,
                            std::string_view caption, DWORD style, DWORD exStyle, std::string_view tooltip)
{
    // Captions carry their access keys, as the Qt face's do; a label's or a frame's leads on to the
    // control that follows it in the page's order.
    const bool plain = windowClass == std::wstring_view(WC_STATICW) && (style & SS_NOPREFIX);
    const std::string text = plain ? std::string(caption) : withAccessKey(caption);
    HWND control = CreateWindowExW(exStyle, windowClass, toWide(text).c_str(), style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!control)
        return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!name.empty())
        named.emplace(std::string(name), control);
    if (id >= 0 && id < kIdEnd)
        byId[static_cast<std::size_t>(id)] = control;
    if (!tooltip.empty() && tooltips) {
        std::wstring tip = toWide(tooltip);
        // Every child takes the pointer in turn: an editable list's edit box sits on top of it.
        for (HWND surface : {control, GetWindow(control, GW_CHILD)}) {
            if (!surface)
                continue;
            TTTOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = parent;
            tool.uId = reinterpret_cast<UINT_PTR>(surface);
            tool.lpszText = tip.data();
            SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    return control;
}

void MainWindow::State::buildControls()
{
    tabs = add(window, WC_TABCONTROLW, kIdTabs, "SSTab1", "", kChild | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
               WS_EX_CONTROLPARENT);
    add(window, WC_STATICW, kIdPolicyLine, kPolicyLineName, "", WS_CHILD | SS_LEFT | SS_NOPREFIX);
    for (std::size_t i = 0; i < kTabCaptions.size(); ++i) {
        std::wstring caption = toWide(kTabCaptions[i]);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = caption.data();
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
        // Not clipping its children: a frame draws only its outline, the page the ground inside it.
        pages[i] = CreateWindowExW(WS_EX_CONTROLPARENT, L"Quelvo.Page", L"", WS_CHILD, 0, 0, 0, 0, tabs, nullptr,
                                   instance, this);
    }
    const auto hidePicture = [this](MainTab tab) {
        const auto index = static_cast<std::size_t>(tab);
        HWND button = add(pages[index], WC_BUTTONW, kIdHidePictures + static_cast<int>(index), kHidePictureNames[index],
                          kHidePicture.caption, kButton | WS_GROUP, 0, kHidePicture.tooltip);
        const int side = MulDiv(kHidePicturePixels, dpi, 96);
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(loadPicture(Picture::HideToTray, side, side)));
    };

    // About
    HWND about = pages[0];
    HWND icon = add(about, WC_STATICW, kIdIcon, "imgicon", "", kChild | SS_ICON | SS_REALSIZECONTROL);
    const int iconSide = MulDiv(kAboutIconPixels, dpi, 96);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(loadPicture(Picture::Program, iconSide, iconSide)), 0);
    // A link that the keyboard reaches too; a plain label where the system has no link control.
    welcomeLink = add(about, WC_LINK, kIdWelcome, "Label1", "", kChild | WS_TABSTOP | WS_GROUP) != nullptr;
    if (!welcomeLink)
        add(about, WC_STATICW, kIdWelcome, "Label1", "", kLabel | SS_NOPREFIX);
    add(about, WC_STATICW, kIdDescription, "Label2", kDescription, kLabel | SS_NOPREFIX);
    add(about, WC_STATICW, kIdVersion, "lab_vers", "", kLabel | SS_NOPREFIX);
    add(about, WC_STATICW, kIdSystem, "lab_windows", "", kLabel | SS_NOPREFIX);
    for (const auto* box : {&kLoadWithWindowsBox, &kStartupDelayBox})
        add(about, WC_BUTTONW, box == &kLoadWithWindowsBox ? kIdLoadWithWindows : kIdPause, box->name, box->caption,
            kCheckBox | WS_GROUP, 0, box->tooltip);
    hidePicture(MainTab::About);

    // Settings: the frames come first in the page's order, below the controls they hold.
    HWND settings = pages[1];
    add(settings, WC_STATICW, kIdInstructions, "", kInstructions, kLabel | SS_NOPREFIX);
    add(settings, WC_STATICW, kIdDayHint, "", kDayFrameHint, kLabel);
    for (std::size_t i = 0; i < kDayBoxes.size(); ++i)
        add(settings, WC_BUTTONW, kIdDays + static_cast<int>(i), kDayBoxes[i].name, kDayBoxes[i].caption,
            kCheckBox | (i == 0 ? WS_GROUP : 0), 0, kDayBoxes[i].tooltip);
    add(settings, WC_BUTTONW, kIdSelectAll, kSelectAllButton.name, kSelectAllButton.caption, kButton | WS_GROUP, 0,
        kSelectAllButton.tooltip);
    // Each label just before its box, so that the label's access key leads to that box.
    const std::pair<std::string_view, std::string_view> labels[] = {
        {"", kHourLabel}, {"", kMinuteLabel}, {kAmPmLabel.name, kAmPmLabel.caption}};
    for (std::size_t i = 0; i < kEditorCombos.size(); ++i) {
        add(settings, WC_STATICW, kIdHourLabel + static_cast<int>(i), labels[i].first, labels[i].second, kLabel);
        add(settings, WC_COMBOBOXW, kIdCombos + static_cast<int>(i), kEditorCombos[i].name, "",
            kChild | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, kEditorCombos[i].tooltip);
    }
    add(settings, WC_BUTTONW, kIdShutdown, kShutdownBox.name, kShutdownBox.caption, kCheckBox | WS_GROUP, 0,
        kShutdownBox.tooltip);
    add(settings, WC_BUTTONW, kIdReboot, kRebootBox.name, kRebootBox.caption, kCheckBox, 0, kRebootBox.tooltip);
    add(settings, WC_BUTTONW, kIdRepeat, kRepeatBox.name, kRepeatBox.caption, kCheckBox | WS_GROUP, 0,
        kRepeatBox.tooltip);
    add(settings, WC_BUTTONW, kIdSave, kSaveButton.name, kSaveButton.caption,
        kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, kSaveButton.tooltip);
    add(settings, WC_BUTTONW, kIdTwentyFour, kTwentyFourBox.name, kTwentyFourBox.caption, kCheckBox | WS_GROUP, 0,
        kTwentyFourBox.tooltip);
    add(settings, WC_BUTTONW, kIdForced, kForcedBox.name, kForcedBox.caption, kCheckBox | WS_GROUP);
    hidePicture(MainTab::Settings);
    for (const auto& [id, caption] :
         {std::pair{kIdDayFrame, kDayFrameCaption}, std::pair{kIdTimeFrame, kTimeFrameCaption},
          std::pair{kIdActionFrame, kActionFrameCaption}})
        SetWindowPos(add(settings, WC_BUTTONW, id, "", caption, kFrame), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Schedules
    HWND schedules = pages[2];
    HWND list = add(schedules, WC_LISTVIEWW, kIdList, "ListView1", "",
                    kChild | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                    WS_EX_CLIENTEDGE);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const int column = twipsToPixels(kListColumnTwips, dpi);
    for (std::size_t i = 0; i < kListColumns.size(); ++i) {
        std::wstring header = toWide(kListColumns[i]);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = column;
        c.pszText = header.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
    }
    add(schedules, WC_BUTTONW, kIdDeleteSelected, kDeleteSelectedButton.name, kDeleteSelectedButton.caption,
        kButton | WS_GROUP, 0, kDeleteSelectedButton.tooltip);
    add(schedules, WC_BUTTONW, kIdDeleteAll, kDeleteAllButton.name, kDeleteAllButton.caption, kButton | WS_GROUP, 0,
        kDeleteAllButton.tooltip);
    hidePicture(MainTab::Schedules);

    // Sleep / timed off: the quick actions' table, four to a frame. Each frame comes just before its
    // buttons, so that its access key leads to the first of them.
    HWND sleep = pages[3];
    for (std::size_t i = 0; i < kQuickActions.size(); ++i) {
        const QuickActionMember& action = kQuickActions[i];
        if (i % 4 == 0)
            add(sleep, WC_BUTTONW, kIdQuickFrames + static_cast<int>(i / 4), "", action.frame, kFrame);
        add(sleep, WC_BUTTONW, kIdQuickActions + static_cast<int>(i), action.button, action.caption, kButton | WS_GROUP,
            0, action.tooltip);
    }
    hidePicture(MainTab::Sleep);

    // Options: each label just before its box, so that the label's access key leads to the box.
    HWND options = pages[4];
    for (const MainSpin spin : {MainSpin::Warn, MainSpin::Postpone}) {
        const int i = static_cast<int>(spin);
        const MinutesBoxText& text = spin == MainSpin::Warn ? kWarnBox : kPostponeBox;
        add(options, WC_STATICW, kIdMinuteLabels + i, "", text.box.caption, kLabel);
        HWND box = add(options, WC_EDITW, kIdMinutes + i, text.box.name, "",
                       kChild | WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, text.box.tooltip);
        HWND arrows = add(options, UPDOWN_CLASSW, kIdMinuteArrows + i, "", "",
                          kChild | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS);
        SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(box), 0);
        SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(text.range.least), text.range.most);
    }
    add(options, WC_BUTTONW, kIdNextTip, kNextTipBox.name, kNextTipBox.caption, kCheckBox | WS_GROUP);
    add(options, WC_STATICW, kIdNextLine, kNextLineName, "", kLabel | SS_NOPREFIX);
    for (const auto& [id, button] :
         {std::pair{kIdPostponeNext, &kPostponeNextButton}, std::pair{kIdSkipNext, &kSkipNextButton}})
        add(options, WC_BUTTONW, id, button->name, button->caption, kButton | WS_GROUP, 0, button->tooltip);
    hidePicture(MainTab::Options);
}

SIZE MainWindow::State::layout()
{
    const Measure text(window, font);
    const auto s = [this](int pixelsAt96) { return MulDiv(pixelsAt96, dpi, 96); };
    const auto place = [this](int id, int x, int y, int w, int h) {
        if (HWND control = item(id))
            MoveWindow(control, x, y, w, h, FALSE);
    };
    const auto boxWidth = [&](int id) { return text.width(item(id)) + GetSystemMetrics(SM_CXMENUCHECK) + s(8); };
    const auto buttonWidth = [&](int id) { return std::max(s(75), text.width(item(id)) + s(20)); };

    const int line = text.line;
    const int margin = s(9);
    const int gap = s(6);
    const int boxH = std::max(line, s(13)) + s(4);
    const int buttonH = line + s(10);
    const int inset = s(10); // inside a frame
    // The page is as wide as the event list with its three columns and room for a scroll bar.
    const int width =
        3 * twipsToPixels(kListColumnTwips, dpi) + 4 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
    const int hideW = text.width(toWide(kHidePicture.caption)) + s(kHidePicturePixels) + s(28);

    // The row at the foot of every page: its own controls on the left, the hide picture on the right.
    const auto foot = [&](int pageH, std::initializer_list<int> left, bool boxes, int tab) {
        const int y = pageH - margin - buttonH;
        int x = margin;
        for (const int id : left) {
            const int w = boxes ? boxWidth(id) : buttonWidth(id);
            place(id, x, boxes ? y + (buttonH - boxH) / 2 : y, w, boxes ? boxH : buttonH);
            x += w + (boxes ? s(16) : gap);
        }
        place(kIdHidePictures + tab, margin + width - hideW, y, hideW, buttonH);
    };

    // Each page twice: once for the height it needs, once placed at the tallest page's height.
    const auto aboutPage = [&](int pageH) {
        const int icon = s(kAboutIconPixels);
        const int textX = margin + icon + 2 * gap;
        const int welcomeH = text.height(toWide(welcome), width - icon - 2 * gap) + s(2);
        place(kIdIcon, margin, margin, icon, icon);
        place(kIdWelcome, textX, margin, width - icon - 2 * gap, welcomeH);
        int y = margin + std::max(icon, welcomeH) + 2 * gap;
        const int descriptionH = text.height(toWide(kDescription), width);
        place(kIdDescription, margin, y, width, descriptionH);
        y += descriptionH + 2 * gap;
        place(kIdVersion, margin, y, width, line);
        y += line + gap;
        place(kIdSystem, margin, y, width, line);
        y += line + gap;
        const int footY = pageH - margin - buttonH;
        place(kIdPause, margin, footY - gap - boxH, boxWidth(kIdPause), boxH);
        place(kIdLoadWithWindows, margin, footY - 2 * (gap + boxH), boxWidth(kIdLoadWithWindows), boxH);
        foot(pageH, {}, true, 0);
        return y + 2 * (boxH + gap) + buttonH + margin;
    };
    const auto settingsPage = [&](int pageH) {
        int y = margin;
        const int instructionsH = text.height(toWide(kInstructions), width);
        place(kIdInstructions, margin, y, width, instructionsH);
        y += instructionsH + gap;
        // Day selection
        const int dayTop = y;
        int inner = y + line + gap;
        place(kIdDayHint, margin + inset, inner, width - 2 * inset, line);
        inner += line + gap;
        int x = margin + inset;
        for (int i = 0; i < 7; ++i) {
            const int w = boxWidth(kIdDays + i);
            place(kIdDays + i, x, inner + (buttonH - boxH) / 2, w, boxH);
            x += w + s(8);
        }
        const int selectW = buttonWidth(kIdSelectAll);
        place(kIdSelectAll, margin + width - inset - selectW, inner, selectW, buttonH);
        y = inner + buttonH + inset;
        place(kIdDayFrame, margin, dayTop, width, y - dayTop);
        y += gap;
        // Time and event settings
        const int timeTop = y;
        inner = y + line + gap;
        RECT comboRect{};
        GetWindowRect(item(kIdCombos), &comboRect);
        const int comboH = comboRect.bottom - comboRect.top;
        const int comboW = std::max(text.width(L"00000"), text.width(L"AMPM")) + GetSystemMetrics(SM_CXVSCROLL) + s(16);
        for (int i = 0; i < 3; ++i) {
            const int cx = margin + inset + i * (comboW + gap);
            place(kIdHourLabel + i, cx, inner, comboW, line);
            // The height of a drop-down list is that of its open list; the closed box follows the font.
            place(kIdCombos + i, cx, inner + line + s(3), comboW, s(240));
        }
        const int combosBottom = inner + line + s(3) + comboH;
        const int actionX = margin + inset + 3 * (comboW + gap) + 2 * gap;
        const int shutdownW = boxWidth(kIdShutdown);
        const int rebootW = boxWidth(kIdReboot);
        const int actionH = line + gap + boxH + inset;
        place(kIdActionFrame, actionX, combosBottom - actionH, shutdownW + rebootW + s(12) + 2 * inset, actionH);
        place(kIdShutdown, actionX + inset, combosBottom - inset - boxH + s(2), shutdownW, boxH);
        place(kIdReboot, actionX + inset + shutdownW + s(12), combosBottom - inset - boxH + s(2), rebootW, boxH);
        const int saveY = combosBottom + 2 * gap;
        place(kIdRepeat, margin + inset, saveY + (buttonH - boxH) / 2, boxWidth(kIdRepeat), boxH);
        const int saveW = std::max(s(96), buttonWidth(kIdSave));
        place(kIdSave, margin + width - inset - saveW, saveY, saveW, buttonH);
        y = saveY + buttonH + inset;
        place(kIdTimeFrame, margin, timeTop, width, y - timeTop);
        foot(pageH, {kIdTwentyFour, kIdForced}, true, 1);
        return y + gap + buttonH + margin;
    };
    const auto schedulesPage = [&](int pageH) {
        const int minimumList = s(150);
        const int listH = std::max(minimumList, pageH - 2 * margin - gap - buttonH);
        place(kIdList, margin, margin, width, listH);
        foot(pageH, {kIdDeleteSelected, kIdDeleteAll}, false, 2);
        return margin + minimumList + gap + buttonH + margin;
    };
    const auto sleepPage = [&](int pageH) {
        const int frameW = (width - 2 * gap) / 2;
        const int quickH = buttonH + s(4);
        const int step = quickH + gap + s(2);
        const int frameH = line + gap + 3 * step + quickH + inset;
        for (int group = 0; group < 2; ++group) {
            const int fx = margin + group * (frameW + 2 * gap);
            place(kIdQuickFrames + group, fx, margin, frameW, frameH);
            for (int i = 0; i < 4; ++i)
                place(kIdQuickActions + group * 4 + i, fx + inset, margin + line + gap + i * step, frameW - 2 * inset,
                      quickH);
        }
        foot(pageH, {}, false, 3);
        return margin + frameH + gap + buttonH + margin;
    };

    const auto optionsPage = [&](int pageH) {
        const int labelW = std::max(text.width(item(kIdMinuteLabels)), text.width(item(kIdMinuteLabels + 1)));
        const int boxW = s(kMinutesBoxPixels);
        const int arrowW = GetSystemMetrics(SM_CXVSCROLL);
        const int editH = line + s(8);
        int y = margin;
        for (int i = 0; i < 2; ++i) {
            place(kIdMinuteLabels + i, margin, y + (editH - line) / 2, labelW, line);
            place(kIdMinutes + i, margin + labelW + gap, y, boxW - arrowW, editH);
            place(kIdMinuteArrows + i, margin + labelW + gap + boxW - arrowW, y, arrowW, editH);
            y += editH + gap;
        }
        place(kIdNextTip, margin, y, boxWidth(kIdNextTip), boxH);
        y += boxH + 2 * gap;
        place(kIdNextLine, margin, y, width, line);
        y += line + gap;
        const int postponeW = buttonWidth(kIdPostponeNext);
        place(kIdPostponeNext, margin, y, postponeW, buttonH);
        place(kIdSkipNext, margin + postponeW + gap, y, buttonWidth(kIdSkipNext), buttonH);
        foot(pageH, {}, false, 4);
        return y + buttonH + gap + buttonH + margin;
    };

    int pageH = 0;
    pageH = std::max({aboutPage(0), settingsPage(0), schedulesPage(0), sleepPage(0), optionsPage(0)});
    aboutPage(pageH);
    settingsPage(pageH);
    schedulesPage(pageH);
    sleepPage(pageH);
    optionsPage(pageH);

    // The tab control around the pages, the window around the tab control.
    const int pageW = width + 2 * margin;
    RECT tabRect{0, 0, pageW, pageH};
    SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tabRect));
    const int outer = s(8);
    const int tabW = tabRect.right - tabRect.left;
    // The policy's line, when there is one, stands above the tab control, wrapped to its width.
    const int policyH = policyLine.empty() ? 0 : text.height(toWide(policyLine), tabW) + gap;
    place(kIdPolicyLine, outer, outer, tabW, std::max(policyH - gap, 0));
    for (HWND page : pages)
        MoveWindow(page, -tabRect.left, -tabRect.top, pageW, pageH, FALSE);
    MoveWindow(tabs, outer, outer + policyH, tabW, tabRect.bottom - tabRect.top, FALSE);
    InvalidateRect(window, nullptr, TRUE);
    return {tabW + 2 * outer, tabRect.bottom - tabRect.top + policyH + 2 * outer};
}

void MainWindow::State::showPage(int index)
{
    for (std::size_t i = 0; i < pages.size(); ++i)
        ShowWindow(pages[i], static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
}

} // namespace quelvo::win32
