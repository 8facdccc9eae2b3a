#include "gui/SettingsDialog.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "core/Constants.h"
#include "core/Formats.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "gui/ValueField.h"
#include "session/SettingsFields.h"
#include "session/Session.h"

namespace skyloom::gui {

namespace {
QString numberText(double v) { return QString::fromStdString(core::formatPlain(v)); }

QPushButton* makeField(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setMinimumWidth(90);
    b->setStyleSheet("QPushButton { background: white; border: 1px solid #7a7a7a; padding: 3px 8px; "
                     "text-align: right; }");
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
}  // namespace

SettingsDialog::SettingsDialog(session::Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setObjectName("SysVars");
    setWindowTitle(QStringLiteral("System Variables"));
    auto* top = new QVBoxLayout(this);

    auto* row = new QHBoxLayout;
    auto* unitsBox = new QGroupBox(QStringLiteral("Units "), this);
    auto* ul = new QVBoxLayout(unitsBox);
    units_ = new QButtonGroup(this);
    const char* unitCaptions[] = {"Mph", "Knts", "SI"};
    for (int i = 0; i < 3; ++i) {
        auto* rb = new QRadioButton(QString::fromLatin1(unitCaptions[i]), unitsBox);
        rb->setObjectName(QStringLiteral("Units%1").arg(i));
        units_->addButton(rb, i);
        ul->addWidget(rb);
    }
    row->addWidget(unitsBox);

    auto* lineBox = new QGroupBox(QStringLiteral("Graph 1 Blue Line"), this);
    auto* ll = new QVBoxLayout(lineBox);
    showWhat_ = new QButtonGroup(this);
    const char* lineCaptions[] = {"Show Average Wind Speeds on Graph 1", "Show Mean Wind Speeds on Graph 1"};
    for (int i = 0; i < 2; ++i) {
        auto* rb = new QRadioButton(QString::fromLatin1(lineCaptions[i]), lineBox);
        rb->setObjectName(QStringLiteral("ShowWhat%1").arg(i));
        showWhat_->addButton(rb, i);
        ll->addWidget(rb);
    }
    row->addWidget(lineBox, 1);
    top->addLayout(row);

    auto* fields = new QGridLayout;
    batCost_ = makeField(this, "BatCostPerkWhrPerYr");
    stateOfCharge_ = makeField(this, "StateOfCharge");
    dotSize_ = makeField(this, "SDsize");
    const std::pair<QPushButton*, const char*> rows[] = {
        {batCost_, "Energy Storage Capacity Costs in Dollars per kWhr per Year (Capital and Maintenance)"},
        {stateOfCharge_, "State of charge at beginning of period (0-100%) 75 default"},
        {dotSize_, "Size of your data site dots as a % of normal."},
    };
    int r = 0;
    for (const auto& [field, caption] : rows) {
        fields->addWidget(field, r, 0);
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setWordWrap(true);
        fields->addWidget(label, r, 1);
        ++r;
    }
    fields->setColumnStretch(1, 1);
    top->addLayout(fields);

    iignore_ = new QCheckBox(QStringLiteral("Actvate the 'Ctrl i' key to Ignore the displayed sounding"), this);
    iignore_->setObjectName("Iignore");
    top->addWidget(iignore_);
    ignoreZ_ = new QCheckBox(QStringLiteral("Ingore Soundings with Zero Speed Ground Winds"), this);
    ignoreZ_->setObjectName("IgnoreZ");
    ignoreZ_->setToolTip(QStringLiteral("Use this when you are reviewing the validity of the sounding data for a site"));
    top->addWidget(ignoreZ_);

    auto* colorBox = new QGroupBox(QStringLiteral("Data Distributions Color"), this);
    auto* cl = new QHBoxLayout(colorBox);
    cl->addWidget(new QLabel(QStringLiteral("Darker"), colorBox));
    dataColor_ = new QSlider(Qt::Horizontal, colorBox);
    dataColor_->setObjectName("DataColor");
    dataColor_->setRange(core::kDataColorMin, core::kDataColorMax);
    cl->addWidget(dataColor_, 1);
    cl->addWidget(new QLabel(QStringLiteral("Lighter"), colorBox));
    auto* swatch = new QLabel(colorBox);
    swatch->setObjectName("DataColorSample");
    swatch->setFixedSize(40, 20);
    auto paintSwatch = [swatch](int v) {
        Rgb c = dataDistributionColor(v);
        swatch->setStyleSheet(QStringLiteral("QLabel { background: rgb(%1, %2, %3); border: 1px solid #606060; }")
                                  .arg(c.r)
                                  .arg(c.g)
                                  .arg(c.b));
    };
    paintSwatch(session_.dataColor);
    connect(dataColor_, &QSlider::valueChanged, swatch, paintSwatch);
    cl->addWidget(swatch);
    top->addWidget(colorBox);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName("Closeit");
    auto* bl = new QHBoxLayout;
    bl->addStretch(1);
    bl->addWidget(close);
    top->addLayout(bl);

    storageCostValue_ = core::leadingNumber(session_.settings().get("BatCostPerkWhrPerYr", "50"));
    refreshFromSession();

    connect(close, &QPushButton::clicked, this, &SettingsDialog::closeIt);
    connect(batCost_, &QPushButton::clicked, this, [this] {
        editField(batCost_, session::storageCostRule(), "BatCostPerkWhrPerYr", 3);
    });
    connect(stateOfCharge_, &QPushButton::clicked, this, [this] {
        editField(stateOfCharge_, session::stateOfChargeRule(), "StateOfCharge", -1);
    });
    connect(dotSize_, &QPushButton::clicked, this, [this] { editField(dotSize_, session::dotSizeRule(), "DotSize", -1); });
    connect(dataColor_, &QSlider::valueChanged, this, [this](int v) {
        if (v == session_.dataColor) return;
        session_.dataColor = v;
        session_.settings().setNumber("DataColor", v);
        emit dataColorChanged(v);
    });
    connect(ignoreZ_, &QCheckBox::toggled, this, [this](bool on) {
        session_.settings().setFlag("IgnoreZ", on);
        emit ignoreZeroChanged(on);
    });
}

void SettingsDialog::refreshFromSession() {
    units_->button(std::clamp(session_.units, 0, 2))->setChecked(true);
    showWhat_->button(session_.speedStatistic == "Mean" ? 1 : 0)->setChecked(true);
    batCost_->setText(numberText(storageCostValue_));
    stateOfCharge_->setText(numberText(session_.stateOfCharge));
    dotSize_->setText(numberText(session_.dotSize));
    QSignalBlocker block(dataColor_);
    dataColor_->setValue(session_.dataColor);
    QSignalBlocker blockZ(ignoreZ_);
    ignoreZ_->setChecked(session_.settings().getFlag("IgnoreZ", false));
}

void SettingsDialog::chooseUnits(int index) { units_->button(index)->setChecked(true); }
void SettingsDialog::chooseShowWhat(int index) { showWhat_->button(index)->setChecked(true); }
bool SettingsDialog::ignoreKeyActive() const { return iignore_->isChecked(); }

void SettingsDialog::editField(QPushButton* field, const session::ValueFieldRule& rule, const char* setting, int decimals) {
    std::optional<double> v = session::askValueField(session_.prompter(), rule, field->text().toStdString());
    if (!v) return;
    double value = decimals >= 0 ? std::round(*v * std::pow(10.0, decimals)) / std::pow(10.0, decimals) : *v;
    field->setText(numberText(value));
    session_.settings().setNumber(setting, value);
    if (field == batCost_) {
        storageCostValue_ = value;
        emit analysisInputsChanged();
    } else if (field == stateOfCharge_) {
        session_.stateOfCharge = value;
        emit analysisInputsChanged();
    } else {
        session_.dotSize = value;
        emit dotSizeChanged();
    }
}

void SettingsDialog::closeIt() {
    int units = units_->checkedId();
    std::string statistic = showWhat_->checkedId() == 0 ? "Average" : "Mean";
    session_.settings().set("ShowWhat", statistic == "Mean" ? "1" : "0");
    const bool changed = statistic != session_.speedStatistic || units != session_.units;
    session_.speedStatistic = statistic;
    hide();
    // Every open window follows a new unit mode through the session's listeners.
    session_.setUnits(units);
    if (changed) emit displayChanged();
}

}  // namespace skyloom::gui
