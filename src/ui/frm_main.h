#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace quelvo {

/// The program's one working window: four tabs, the event list, the editor and the
/// quick actions. It shows what the logic decides and passes the user's actions on.
class FrmMain final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    /// Tabs of SSTab1.
    enum Tab { TabAbout = 0, TabSettings = 1, TabSchedules = 2, TabSleep = 3 };

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
    // Hide-to-tray pictures, one per tab: image3, Image2, Image1, Picture1
    QPushButton* hidePictures[4] = {};

    QTabWidget* SSTab1 = nullptr;
    QTimer* Timer1 = nullptr;

private:
    QWidget* buildAboutTab();
    QWidget* buildSettingsTab();
    QWidget* buildSchedulesTab();
    QWidget* buildSleepTab();
    QPushButton* makeHidePicture(const char* objectName);
};

} // namespace quelvo
