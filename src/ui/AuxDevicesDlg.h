#pragma once
// CAuxDevicesDlg: the modal setup dialog of one device class (template 106). One slot per device
// number of the class: an LED that flashes on every event of that device, a check box that marks
// it auxiliary and an edit for its index. OK checks every index before storing any, then writes
// the indexes into the device table and saves the class to the configuration file.
#include "capture/DeviceClass.h"
#include "capture/DeviceTable.h"
#include "ui/AppServices.h"
#include "ui/Led.h"
#include "ui/SetupOkRules.h"
#include "winfx/Dialog.h"

#include <array>
#include <functional>
#include <string>

// What the dialog reads and writes.
struct AuxDevicesModel {
    DeviceTable& devices;
    Settings& settings;
    std::string iniPath;       // named by the message of a failed save
    MessageBoxes& titledBoxes; // boxes with the program's title as caption
    bool saveOnOk = true;      // false: OK leaves the file to the settings window's OK
};

class CAuxDevicesDlg : public CDialog {
public:
    // ready, if given, is called with the dialog's window as soon as it exists, so captured events
    // can be posted to it.
    CAuxDevicesDlg(CWnd* parent, DeviceClass deviceClass, AuxDevicesModel model,
                   std::function<void(HWND)> ready = {});

    bool PreTranslateMessage(MSG* msg) override;

    std::array<CLed, kSetupSlotCount> m_leds;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnSlotClicked(int id);

    // The dialog's own error boxes (caption "Error", stop icon), owned by the dialog.
    virtual void ShowError(UINT textId);

private:
    int FirstDevice() const { return FirstDeviceOf(m_class); }
    int LastDevice() const { return LastDeviceOf(m_class); }
    // Lights the LED of the device that sent a captured event; a device of no slot is ignored.
    void FlashDeviceOf(WPARAM wParam, LPARAM lParam);
    // A slot's label and LED from the device table; fresh: its check box and index too.
    void ShowSlot(int device, const std::string& label, bool fresh);
    // The devices present changed: the slots of the numbers in `fresh` show the table afresh.
    void OnDevicesChanged(std::uint32_t fresh);

    DeviceClass m_class;
    AuxDevicesModel m_model;
    std::function<void(HWND)> m_ready;
    // By device number 0-20; entries outside the class stay null or 0.
    std::array<CLed*, kDeviceCount> m_ledByDevice{};
    std::array<int, kDeviceCount> m_checkByDevice{};
    std::array<int, kDeviceCount> m_editByDevice{};
};
