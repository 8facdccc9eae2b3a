#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QSlider;

namespace skyloom::session {
class Session;
struct ValueFieldRule;
}  // namespace skyloom::session

namespace skyloom::gui {

// The settings dialog `SysVars` ("System Variables"): the unit mode, the Graph 1
// line, the three value fields, the ignore keys and the data-distribution colour.
// Value fields and the slider are saved the moment they change; the unit mode and
// the Graph 1 line are applied by Close.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(session::Session& session, QWidget* parent = nullptr);

    // Load the controls from the session (the dialog is shown again and again).
    void refreshFromSession();

    // The controls, for the windows and the tests.
    QPushButton* storageCostField() const { return batCost_; }
    QPushButton* stateOfChargeField() const { return stateOfCharge_; }
    QPushButton* dotSizeField() const { return dotSize_; }
    QSlider* dataColorSlider() const { return dataColor_; }
    QCheckBox* ignoreKeyBox() const { return iignore_; }
    QCheckBox* ignoreZeroBox() const { return ignoreZ_; }
    void chooseUnits(int index);
    void chooseShowWhat(int index);
    bool ignoreKeyActive() const;
    double storageCost() const { return storageCostValue_; }

public slots:
    // `Closeit`: applies the unit mode and the Graph 1 line, hides the dialog.
    void closeIt();

signals:
    // Close changed the unit mode or the Graph 1 line: statistics and graphs are redone.
    void displayChanged();
    // A storage figure changed: the selected station is analysed again.
    void analysisInputsChanged();
    void dotSizeChanged();
    void dataColorChanged(int value);
    void ignoreZeroChanged(bool on);

private:
    void editField(QPushButton* field, const session::ValueFieldRule& rule, const char* setting, int decimals);

    session::Session& session_;
    QButtonGroup* units_ = nullptr;
    QButtonGroup* showWhat_ = nullptr;
    QPushButton* batCost_ = nullptr;
    QPushButton* stateOfCharge_ = nullptr;
    QPushButton* dotSize_ = nullptr;
    QCheckBox* iignore_ = nullptr;
    QCheckBox* ignoreZ_ = nullptr;
    QSlider* dataColor_ = nullptr;
    double storageCostValue_ = 50;
};

}  // namespace skyloom::gui
