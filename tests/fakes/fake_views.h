#pragma once

#include "countdown/countdown_presenter.h"
#include "shell/hint_presenter.h"
#include "shell/main_view.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo::test {

/// A countdown window that records what it was told; the test plays its timer.
struct FakeCountdownView final : CountdownView
{
    void showWindow() override { ++shown; }
    void closeWindow() override { open = false; }
    void setSecondsText(const std::string& text) override { seconds = text; }
    void setActionVisible(bool visible) override { actionVisible = visible; }
    void startTicking(int ms) override { tickMs = ms; }
    void stopTicking() override { tickMs = 0; }
    void showError(const std::string& text) override { errors.push_back(text); }
    void showPostpone(const std::string& caption) override { postpone = caption; }
    void showNote(const std::string& text) override { note = text; }
    void showCancel(bool shown) override { cancel = shown; }

    bool open = true;
    int shown = 0;
    std::string seconds;
    bool actionVisible = false;
    int tickMs = 0; // 0: the timer stands
    std::vector<std::string> errors;
    std::string postpone; // the Postpone button's caption; empty: hidden
    std::string note;     // the line under the count; empty: hidden
    bool cancel = true;   // the cancel picture
};

/// Keeps every countdown window it built, so a test can look at closed ones too.
struct FakeCountdownFactory
{
    CountdownView* operator()(CountdownKind kind, CountdownControls&)
    {
        built.push_back({kind, std::make_unique<FakeCountdownView>()});
        return built.back().second.get();
    }
    std::vector<std::pair<CountdownKind, std::unique_ptr<FakeCountdownView>>> built;
};

struct FakeHintView final : HintView
{
    void showConfirmation(const std::string& text) override { confirmation = text; }
    void showChoices(const std::string& text, const std::vector<HintChoice>& shown) override
    {
        confirmation = text;
        choices = shown;
    }
    void closeAfter(int ms) override { lifetimeMs = ms; }
    void closeWindow() override { open = false; }

    bool open = true;
    int lifetimeMs = 0;
    std::string confirmation; // empty: the default text with the icon
    std::vector<HintChoice> choices;
};

struct FakeTrayView final : TrayView
{
    void add(const NotifyIconData& data) override
    {
        shown = true;
        tip = data.tipText();
    }
    void modify(const NotifyIconData& data, std::uint32_t) override { tip = data.tipText(); }
    void remove(const NotifyIconData&) override { shown = false; }
    void setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex) override
    {
        menu = items;
        defaultItem = defaultIndex;
    }
    void popUpMenu() override { ++popUps; }

    bool shown = false;
    std::string tip;
    std::vector<TrayMenuItem> menu;
    int defaultItem = -1;
    int popUps = 0;
};

/// The main window as plain values.
struct FakeMainView final : MainView
{
    void setLabel(MainLabel label, const std::string& text) override { labels[label] = text; }
    void setWelcome(const WelcomeText& text) override { welcome = text; }
    void selectTab(MainTab t) override { tab = t; }
    bool checked(MainBox box) const override { return boxes.count(box) != 0 && boxes.at(box); }
    void setChecked(MainBox box, bool on) override { boxes[box] = on; }
    std::string text(MainCombo combo) const override { return texts.count(combo) ? texts.at(combo) : ""; }
    void setText(MainCombo combo, const std::string& t) override { texts[combo] = t; }
    void fill(MainCombo combo, const std::vector<std::string>& items) override { lists[combo] = items; }
    void setAmPmVisible(bool visible) override { ampmVisible = visible; }
    void showEvents(const std::vector<std::string>& l, const std::vector<ListRow>& r) override
    {
        lines = l;
        rows = r;
    }
    std::optional<std::size_t> selectedRow() const override { return selected; }
    int value(MainSpin spin) const override { return spins.count(spin) ? spins.at(spin) : -1; }
    void setValue(MainSpin spin, int minutes) override { spins[spin] = minutes; }
    void setNextText(const std::string& text) override { nextLine = text; }
    void setNextButtons(bool postpone, bool skip) override { nextButtons = {postpone, skip}; }
    void setControlEnabled(std::string_view control, bool on) override
    {
        if (on)
            disabled.erase(std::string(control));
        else
            disabled.insert(std::string(control));
    }
    void setPolicyLine(const std::string& text) override { policyLine = text; }
    void showMessage(const UserMessage& message) override { messages.push_back(message.title + "|" + message.text); }
    bool ask(const UserQuestion& question) override
    {
        messages.push_back(question.title + "|" + question.text);
        return answer;
    }
    void showError(const std::string& text) override { messages.push_back("Error!|" + text); }
    void setBusy(bool on) override { busy.push_back(on); }
    void restoreWindow() override { hidden = minimised = maximised = false; }
    void minimiseWindow() override
    {
        minimised = true;
        hidden = false; // a minimised window is in sight on the task bar
    }
    void hideWindow() override { hidden = true; }
    bool windowHidden() const override { return hidden; }
    bool windowMinimised() const override { return minimised; }
    bool windowMaximised() const override { return maximised; }
    PixelRect fitToContents() override { return place; }
    PixelRect frame() const override { return place; }
    bool canPlaceWindow() const override { return placeable; }
    void moveTo(int left, int top) override
    {
        place.left = left;
        place.top = top;
    }
    void startSystemMove() override { ++systemMoves; }
    double logicalDpi() const override { return dpi; }
    std::vector<PixelRect> screens() const override { return {{0, 0, 1920, 1080}}; }
    void startChecker(int) override { checkerRuns = true; }
    void stopChecker() override { checkerRuns = false; }
    TrayView& tray() override { return trayView; }
    CountdownView* makeCountdown(CountdownKind kind, CountdownControls& p) override { return countdowns(kind, p); }
    HintView* makeHint(HintPresenter&) override
    {
        hints.push_back(std::make_unique<FakeHintView>());
        return hints.back().get();
    }

    std::map<MainLabel, std::string> labels;
    WelcomeText welcome;
    MainTab tab = MainTab::Sleep; // as no start-up would leave it
    std::map<MainBox, bool> boxes;
    std::map<MainCombo, std::string> texts;
    std::map<MainCombo, std::vector<std::string>> lists;
    bool ampmVisible = true;
    std::vector<std::string> lines;
    std::vector<ListRow> rows;
    std::optional<std::size_t> selected;
    std::map<MainSpin, int> spins;
    std::string nextLine;
    std::pair<bool, bool> nextButtons{true, true}; // "Postpone next", "Skip next" enabled
    std::set<std::string> disabled;                // the object names of the controls that cannot be used
    std::string policyLine;
    std::vector<std::string> messages; // "title|text"
    bool answer = true;                // to every question
    std::vector<bool> busy;
    bool hidden = false;
    bool minimised = false;
    bool maximised = false;
    PixelRect place{10, 20, 600, 400};
    bool placeable = true; // false: the window system places windows (Wayland)
    int systemMoves = 0;
    double dpi = 96;
    bool checkerRuns = false;
    FakeTrayView trayView;
    FakeCountdownFactory countdowns;
    std::vector<std::unique_ptr<FakeHintView>> hints;
};

} // namespace quelvo::test
