#pragma once

#include "shell/main_presenter.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace quelvo::win32 {

class TrayWindow;

/// The main window `frm_main` in native Win32: the tab control `SSTab1` with its five pages, the
/// event editor, the event list and the quick actions, and the notification-area icon. It draws
/// what MainPresenter decides and passes the user's actions on.
class MainWindow final : public MainView
{
public:
    MainWindow(HINSTANCE instance, MainWindowServices services);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    [[nodiscard]] MainPresenter& presenter();
    [[nodiscard]] HWND window() const;
    [[nodiscard]] TrayWindow& trayWindow();
    /// The control of that object name (`chk_lww`, `txt_hr`, `ListView1`, `SSTab1`, ...); null when
    /// there is none.
    [[nodiscard]] HWND control(std::string_view objectName) const;
    /// Shows the window as it stands and activates it.
    void show();
    /// Keyboard navigation for the message loop: true when the message was the window's (Tab,
    /// arrows, mnemonics, Return for "&Save", Ctrl+Tab between the tabs) and is done.
    bool preTranslate(MSG& message);

    // MainView
    void setLabel(MainLabel label, const std::string& text) override;
    void setWelcome(const WelcomeText& welcome) override;
    void selectTab(MainTab tab) override;
    [[nodiscard]] bool checked(MainBox box) const override;
    void setChecked(MainBox box, bool on) override;
    [[nodiscard]] std::string text(MainCombo combo) const override;
    void setText(MainCombo combo, const std::string& text) override;
    void fill(MainCombo combo, const std::vector<std::string>& items) override;
    void setAmPmVisible(bool visible) override;
    void showEvents(const std::vector<std::string>& lines, const std::vector<ListRow>& rows) override;
    [[nodiscard]] std::optional<std::size_t> selectedRow() const override;
    [[nodiscard]] int value(MainSpin spin) const override;
    void setValue(MainSpin spin, int minutes) override;
    void setNextText(const std::string& text) override;
    void setNextButtons(bool postpone, bool skip) override;
    /// A box of minutes takes its arrows with it.
    void setControlEnabled(std::string_view control, bool enabled) override;
    /// The window grows or shrinks by the line.
    void setPolicyLine(const std::string& text) override;
    void showMessage(const UserMessage& message) override;
    bool ask(const UserQuestion& question) override;
    void showError(const std::string& text) override;
    void setBusy(bool busy) override;
    void restoreWindow() override;
    void minimiseWindow() override;
    void hideWindow() override;
    [[nodiscard]] bool windowHidden() const override;
    [[nodiscard]] bool windowMinimised() const override;
    [[nodiscard]] bool windowMaximised() const override;
    [[nodiscard]] PixelRect fitToContents() override;
    [[nodiscard]] PixelRect frame() const override;
    /// Windows lets every program place its own windows.
    [[nodiscard]] bool canPlaceWindow() const override { return true; }
    void moveTo(int left, int top) override;
    /// Never asked for: the window moves itself while the pointer drags it.
    void startSystemMove() override {}
    [[nodiscard]] double logicalDpi() const override;
    [[nodiscard]] std::vector<PixelRect> screens() const override;
    void startChecker(int firstTickMs) override;
    void stopChecker() override;
    TrayView& tray() override;
    CountdownView* makeCountdown(CountdownKind kind, CountdownControls& presenter) override;
    HintView* makeHint(HintPresenter& presenter) override;

    struct State;

private:
    std::unique_ptr<State> m_state;
};

} // namespace quelvo::win32
