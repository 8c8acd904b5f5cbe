#pragma once

#include "shell/main_presenter.h"

#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace quelvo {

class SysTray;

/// The program's one working window in Qt: five tabs, the event list, the editor and the
/// quick actions. It draws what MainPresenter decides and passes the user's actions on.
class FrmMain final : public QWidget, public MainView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    explicit FrmMain(MainWindowServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    [[nodiscard]] MainPresenter& presenter() { return *m_presenter; }
    [[nodiscard]] SysTray* sysTray() const { return m_frmSysTray; }

    // MainView
    void setLabel(MainLabel label, const std::string& text) override;
    void setWelcome(const WelcomeText& welcome) override;
    void selectTab(MainTab tab) override { SSTab1->setCurrentIndex(static_cast<int>(tab)); }
    [[nodiscard]] bool checked(MainBox which) const override { return box(which)->isChecked(); }
    void setChecked(MainBox which, bool on) override { box(which)->setChecked(on); }
    [[nodiscard]] std::string text(MainCombo combo) const override;
    void setText(MainCombo combo, const std::string& text) override;
    void fill(MainCombo combo, const std::vector<std::string>& items) override;
    void setAmPmVisible(bool visible) override;
    void showEvents(const std::vector<std::string>& lines, const std::vector<ListRow>& rows) override;
    [[nodiscard]] std::optional<std::size_t> selectedRow() const override;
    [[nodiscard]] int value(MainSpin which) const override;
    void setValue(MainSpin which, int minutes) override;
    void setNextText(const std::string& text) override;
    void setNextButtons(bool postpone, bool skip) override;
    void setControlEnabled(std::string_view control, bool enabled) override;
    void setPolicyLine(const std::string& text) override;
    void showMessage(const UserMessage& message) override;
    bool ask(const UserQuestion& question) override;
    void showError(const std::string& text) override;
    void setBusy(bool busy) override;
    void restoreWindow() override;
    void minimiseWindow() override { showMinimized(); }
    void hideWindow() override;
    [[nodiscard]] bool windowHidden() const override { return isHidden(); }
    [[nodiscard]] bool windowMinimised() const override { return isMinimized(); }
    [[nodiscard]] bool windowMaximised() const override { return isMaximized(); }
    [[nodiscard]] PixelRect fitToContents() override;
    [[nodiscard]] PixelRect frame() const override { return {x(), y(), width(), height()}; }
    [[nodiscard]] bool canPlaceWindow() const override;
    void moveTo(int left, int top) override { move(left, top); }
    void startSystemMove() override;
    [[nodiscard]] double logicalDpi() const override;
    [[nodiscard]] std::vector<PixelRect> screens() const override;
    void startChecker(int firstTickMs) override { Timer1->start(firstTickMs); }
    void stopChecker() override { Timer1->stop(); }
    TrayView& tray() override;
    CountdownView* makeCountdown(CountdownKind kind, CountdownControls& presenter) override;
    HintView* makeHint(HintPresenter& presenter) override;

    // About
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lab_vers = nullptr;
    QLabel* lab_windows = nullptr;
    QLabel* imgicon = nullptr;
    QCheckBox* chk_lww = nullptr;
    QCheckBox* chk_pause = nullptr;
    // Settings: the event editor and the options
    QCheckBox* chk_days[7] = {}; // chk_mon .. chk_sun
    QPushButton* Command1 = nullptr;
    QComboBox* txt_hr = nullptr;
    QComboBox* txt_min = nullptr;
    QComboBox* com_am = nullptr;
    QLabel* Label9 = nullptr;
    QCheckBox* chk_shutdown = nullptr;
    QCheckBox* chk_reboot = nullptr;
    QCheckBox* chk_repeat = nullptr;
    QPushButton* com_save = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* chk_forced = nullptr;
    // Schedules
    QTreeWidget* ListView1 = nullptr;
    QListWidget* lst_events = nullptr;
    QPushButton* com_del = nullptr;
    QPushButton* Command2 = nullptr;
    // Sleep / timed off: Command3..Command10
    QPushButton* quickButtons[8] = {};
    // Options
    QSpinBox* txt_warn = nullptr;
    QSpinBox* txt_postpone = nullptr;
    QCheckBox* chk_nexttip = nullptr;
    QLabel* lab_next = nullptr;
    QPushButton* com_postponenext = nullptr;
    QPushButton* com_skipnext = nullptr;
    // Hide-to-tray pictures, one per tab: image3, Image2, Image1, Picture1, Picture2
    QPushButton* hidePictures[5] = {};

    // Above the tabs
    QLabel* lab_policy = nullptr;

    QTabWidget* SSTab1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void connectControls();
    [[nodiscard]] QCheckBox* box(MainBox which) const;
    [[nodiscard]] QComboBox* combo(MainCombo which) const;

    QWidget* buildAboutTab();
    QWidget* buildSettingsTab();
    QWidget* buildSchedulesTab();
    QWidget* buildSleepTab();
    QWidget* buildOptionsTab();
    QPushButton* makeHidePicture(MainTab tab);

    SysTray* m_frmSysTray = nullptr;
    std::unique_ptr<MainPresenter> m_presenter;
};

} // namespace quelvo
