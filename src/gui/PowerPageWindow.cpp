#include "gui/PowerPageWindow.h"

#include <algorithm>
#include <functional>
#include <string>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

#include <SQLiteCpp/SQLiteCpp.h>

#include "core/MainDatabase.h"
#include "gui/QtPrompter.h"
#include "core/Rounding.h"
#include "gui/GeneratorList.h"
#include "power/EnergyInputs.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "session/GeneratorCommands.h"
#include "session/PowerPage.h"
#include "session/SuppliedGenerators.h"
#include "session/Session.h"
#include "session/StudyCommands.h"

namespace skyloom::gui {

namespace {

const char* const kClickTip = " Click here to change this data. ";

// A figure that runs its command when clicked.
class ClickTarget : public QLabel {
public:
    ClickTarget(const QString& name, std::function<void()> onClick, QWidget* parent)
        : QLabel(parent), onClick_(std::move(onClick)) {
        setObjectName(name);
        setToolTip(QString::fromUtf8(kClickTip));
        setCursor(Qt::PointingHandCursor);
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setMinimumWidth(80);
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    void click() {
        // The dialogs of the command are asked from this page and stay above it.
        QtPrompter::AskingWindow asking(this);
        if (onClick_) onClick_();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) click();
    }

private:
    std::function<void()> onClick_;
};

QString number(double v, int decimals) { return QString::number(v, 'f', decimals); }

QLabel* plainLabel(const QString& name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the widest figure ("-$##,###,##0 per Yr") so no change of figures cuts one off.
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("-$88,888,888 per Yr")) + 4);
    return l;
}

}  // namespace

// Generator commands ask the window to redisplay and to rerun what they changed.
class PowerPageWindow::Observer : public session::GeneratorObserver {
public:
    explicit Observer(PowerPageWindow& w) : w_(w) {}
    void generatorChanged() override { if (!w_.quiet_) takeCurrent(true); }
    void listChanged() override { if (!w_.quiet_) w_.refresh(); }
    void resultsMarkedStale() override { if (!w_.quiet_) w_.refresh(); }
    void overlayCurve(const power::GeneratorRecord& g) override {
        w_.comparison_ = g;
        emit w_.resultsShown();
    }
    // The stale-results button: the page takes the changed curve and runs again.
    void recalculate() {
        w_.commands_->clearStale();
        takeCurrent(false);
    }
    void recomputeBalance() override { if (!w_.quiet_) takeCurrent(false); }
    void recomputeAll() override { if (!w_.quiet_) takeCurrent(false); }
    void analysisHeightSet(double feet) override {
        if (w_.quiet_) return;
        w_.page_.setHeightFeet(feet);
        w_.rerunAnalysis();
    }
    // A new or copied curve: the page takes it without running, so no saved
    // analysis names it (and locks it) before the user recalculates.
    void generatorAwaitsRun(std::optional<double> heightFeet) override {
        if (w_.quiet_) return;
        if (const auto& g = w_.commands_->current()) w_.page_.setGenerator(g);
        if (heightFeet) w_.page_.setHeightFeet(*heightFeet);
        w_.refresh();
    }

private:
    // The page computes with the record the commands hold as current.
    void takeCurrent(bool heightFromHub) {
        const auto& g = w_.commands_->current();
        if (g) {
            w_.page_.setGenerator(g);
            if (heightFromHub) w_.page_.setHeightFeet(g->height);
        }
        w_.rerunAnalysis();
    }
    PowerPageWindow& w_;
};

PowerPageWindow::PowerPageWindow(session::PowerPage& page, QWidget* parent)
    : QWidget(parent, Qt::Window),
      page_(page),
      observer_(std::make_unique<Observer>(*this)),
      store_(std::make_unique<power::GeneratorStore>(page.session().mainDb().db())),
      commands_(std::make_unique<session::GeneratorCommands>(*store_, page.session().prompter(),
                                                              page.session().appDir(), observer_.get())) {
    setObjectName("Gen");
    setWindowTitle(QStringLiteral("Power Page"));
    // The figures and the graphs scroll as one page: on a laptop screen the graphs
    // stand under the figures and the page scrolls down to them; on a wide screen
    // they stand beside the figures.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("PowerScroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    auto* content = new QWidget;
    content->setObjectName("PowerContent");
    grid_ = new QGridLayout(content);
    QGridLayout* grid = grid_;
    buildGeneratorBlock(grid);
    buildResultBlock(grid);
    buildAnalysisBlock(grid);
    graphs_ = new QWidget(content);
    graphs_->setObjectName("PowerGraphs");
    graphsLayout_ = new QVBoxLayout(graphs_);
    graphsLayout_->setContentsMargins(0, 0, 0, 0);
    scroll_->setWidget(content);
    outer->addWidget(scroll_);
    placeGraphs(true);

    // The commands start on the page's generator; the page already computed with it.
    commands_->setUnits(page_.site().units());
    quiet_ = true;
    if (const auto& g = page_.generator()) commands_->choose(g->name);
    commands_->refresh();
    quiet_ = false;

    // The run saves its record after the balance: the ID is shown once the run is over.
    // A run the page did not start itself (the Main Page, a recall) is shown once
    // it is over; a run the page started is shown by the page right away.
    page_.energy().onChanged = [this] {
        figuresDirty_ = true;
        QMetaObject::invokeMethod(this, [this] { if (figuresDirty_) showFigures(); }, Qt::QueuedConnection);
    };
    // A new unit mode: every field, caption and graph is read again from the session.
    unitsListener_ = page_.session().addUnitsListener([this] { refresh(); });
    refresh();
}

PowerPageWindow::~PowerPageWindow() {
    page_.session().removeUnitsListener(unitsListener_);
    page_.energy().onChanged = nullptr;
}

void PowerPageWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (e->size().width() != e->oldSize().width()) keepTextWhole();
}

int PowerPageWindow::figuresWidth() const {
    // The two columns of figures at their least width, with the grid's spacing.
    int width = grid_->contentsMargins().left() + grid_->contentsMargins().right();
    for (int column = 0; column < 2; ++column) {
        int widest = 0;
        for (int i = 0; i < grid_->count(); ++i) {
            int row = 0, col = 0, rows = 0, cols = 0;
            grid_->getItemPosition(i, &row, &col, &rows, &cols);
            QWidget* w = grid_->itemAt(i)->widget();
            if (w && w != graphs_ && col == column && cols == 1) widest = std::max(widest, w->minimumSizeHint().width());
        }
        width += widest + grid_->horizontalSpacing();
    }
    return width;
}

void PowerPageWindow::placeGraphs(bool beside) {
    if (graphsBeside_ == beside && grid_->indexOf(graphs_) >= 0) return;
    graphsBeside_ = beside;
    grid_->removeWidget(graphs_);
    grid_->setColumnStretch(2, 0);
    grid_->setRowStretch(3, 0);
    if (beside) {
        grid_->addWidget(graphs_, 0, 2, 3, 1);
        grid_->setColumnStretch(2, 1);
    } else {
        grid_->addWidget(graphs_, 3, 0, 1, 2);
        grid_->setRowStretch(3, 1);
    }
}

void PowerPageWindow::keepTextWhole() {
    // The graphs stand beside the figures when the page is wide enough for both;
    // before the window is shown its width is not yet the one it will have.
    if (!isVisible()) return;
    const int graphsLeast = graphs_->minimumSizeHint().width();
    placeGraphs(scroll_->viewport()->width() >= figuresWidth() + graphsLeast);
}

void PowerPageWindow::showEvent(QShowEvent* e) {
    if (!sized_) {
        // The first time: as large as the page wants, never larger than the screen.
        sized_ = true;
        QSize want = scroll_->widget()->sizeHint() + QSize(scroll_->verticalScrollBar()->sizeHint().width() + 4, 4);
        if (QScreen* sc = screen()) want = want.boundedTo(sc->availableGeometry().size() - QSize(16, 48));
        resize(want);
    }
    QWidget::showEvent(e);
    keepTextWhole();
}

void PowerPageWindow::closeEvent(QCloseEvent* e) {
    saveComment();
    QWidget::closeEvent(e);
}

QPushButton* PowerPageWindow::addButton(const char* name, const QString& caption, const std::function<void()>& action) {
    auto* b = new QPushButton(caption, buttonRow_);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    // A capture hides the button; the figures keep their place.
    QSizePolicy keepPlace = b->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    b->setSizePolicy(keepPlace);
    connect(b, &QPushButton::clicked, this, [this, action] {
        QtPrompter::AskingWindow asking(this);
        action();
        refresh();
    });
    buttonRow_->layout()->addWidget(b);
    return b;
}

QPushButton* PowerPageWindow::button(const QString& name) const { return findChild<QPushButton*>(name); }

QList<QWidget*> PowerPageWindow::editButtons() const {
    QList<QWidget*> list;
    for (const char* name : {"NewCurve", "CopyCurve", "DeleteCurve", "Export", "Import"})
        if (QPushButton* b = button(QString::fromUtf8(name))) list.push_back(b);
    return list;
}

void PowerPageWindow::buildGeneratorBlock(QGridLayout* grid) {
    auto* box = new QGroupBox(QStringLiteral("Generator"), this);
    auto* g = new QGridLayout(box);
    generatorsDD_ = new QComboBox(box);
    generatorsDD_->setObjectName("GeneratorsDD");
    generatorsDD_->setMinimumWidth(220);
    makeGeneratorListTable(generatorsDD_);
    connect(generatorsDD_, &QComboBox::activated, this, [this](int i) { chooseFromList(i); });
    auto* name = new ClickTarget("GenName", [this] { commands_->rename(); }, box);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    g->addWidget(name, 0, 0, 1, 3);
    generatorsDD_->setToolTip(QStringLiteral(" Choose the wind generator. Hold Shift to draw its curve over this one. "));
    g->addWidget(generatorsDD_, 1, 0, 1, 3);
    buttonRow_ = new QWidget(box);
    auto* buttons = new QHBoxLayout(buttonRow_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    addButton("NewCurve", QStringLiteral("New"), [this] { commands_->newCurve(); });
    addButton("CopyCurve", QStringLiteral("Copy"), [this] { commands_->copyCurve(); });
    addButton("DeleteCurve", QStringLiteral("Remove"), [this] { commands_->removeCurve(); });
    addButton("Export", QStringLiteral("Export"), [this] { commands_->exportCurrent(); });
    addButton("Import", QStringLiteral("Import"), [this] { commands_->importFile(); });
    g->addWidget(buttonRow_, 2, 0, 1, 3);
    constexpr int top = 2;

    const QString speedUnit = QString::fromUtf8(std::string(page_.site().units().speedUnit()));
    g->addWidget(new QLabel(QStringLiteral("Point"), box), top + 1, 0);
    auto* speedHeading = new QLabel(QStringLiteral("Speed (%1)").arg(speedUnit), box);
    speedHeading->setObjectName("SpeedHeading");
    g->addWidget(speedHeading, top + 1, 1);
    g->addWidget(new QLabel(QStringLiteral("kW"), box), top + 1, 2);
    auto* cutIn = new ClickTarget("Speed0", [this] { commands_->editSpeed(11); }, box);
    g->addWidget(new QLabel(QStringLiteral("Cut-in"), box), top + 2, 0);
    g->addWidget(cutIn, top + 2, 1);
    for (int i = 1; i <= power::kCurvePoints; ++i) {
        g->addWidget(new QLabel(QString::number(i), box), top + 2 + i, 0);
        g->addWidget(new ClickTarget(QStringLiteral("Speed%1").arg(i), [this, i] { commands_->editSpeed(11 + i); }, box),
                     top + 2 + i, 1);
        g->addWidget(new ClickTarget(QStringLiteral("KW%1").arg(i), [this, i] { commands_->editKW(i); }, box),
                     top + 2 + i, 2);
    }
    struct Row {
        const char* name;
        const char* caption;
        bool (session::GeneratorCommands::*edit)();
    };
    const sounding::Units& units = page_.site().units();
    const std::string length = " (" + std::string(units.lengthUnit()) + ")";
    const std::string temperature = " (" + std::string(units.temperatureUnit()) + ")";
    const std::string speed = " (" + std::string(units.speedUnit()) + ")";
    const std::string hub = "Hub height" + length, temp = "Temperature" + temperature, cut = "Cut-out" + speed;
    const Row rows[] = {
        {"HubHeight", hub.c_str(), &session::GeneratorCommands::editHubHeight},
        {"Temperature", temp.c_str(), &session::GeneratorCommands::editTemperature},
        {"Pressure", "Pressure (mb)", &session::GeneratorCommands::editPressure},
        {"CostPerYear", "Cost per year", &session::GeneratorCommands::editCostPerYear},
        {"CutOut", cut.c_str(), &session::GeneratorCommands::editCutOut},
        {"MaxToGrid", "Max to grid (kW)", &session::GeneratorCommands::editMaxToGrid},
    };
    int r = top + 3 + power::kCurvePoints;
    for (const Row& row : rows) {
        auto* caption = new QLabel(QString::fromUtf8(row.caption), box);
        caption->setObjectName(QString::fromUtf8(row.name) + "Heading");
        g->addWidget(caption, r, 0);
        auto edit = row.edit;
        g->addWidget(new ClickTarget(QString::fromUtf8(row.name), [this, edit] { (commands_.get()->*edit)(); }, box),
                     r, 1, 1, 2);
        ++r;
    }
    // The height the generator is analysed at now (the hub height when chosen).
    auto* look = new QLabel(QStringLiteral("Analysis height (%1)").arg(QString::fromUtf8(std::string(page_.site().units().lengthUnit()))), box);
    look->setObjectName("LlookheightHeading");
    g->addWidget(look, r, 0);
    auto* lookField = new ClickTarget("Llookheight", [this] {
        session::SiteAnalysis& site = page_.site();
        page_.runner([&site] {
            return site.setHeightOfInterest() ? session::AnalysisOutcome::Analysed : session::AnalysisOutcome::Cancelled;
        });
        refresh();
    }, box);
    lookField->setToolTip(QStringLiteral(" Click here to change the height at which the site is analysed. "));
    g->addWidget(lookField, r, 1, 1, 2);
    auto* resource = new QPushButton(QStringLiteral("Wind Resource at this height"), box);
    resource->setObjectName("WindResourceBut");
    resource->setAutoDefault(false);
    connect(resource, &QPushButton::clicked, this, &PowerPageWindow::windResourceRequested);
    g->addWidget(resource, ++r, 0, 1, 3);
    grid->addWidget(box, 0, 0, 2, 1);
}

void PowerPageWindow::buildResultBlock(QGridLayout* grid) {
    auto* energy = new QGroupBox(QStringLiteral("Energy per year (MWh)"), this);
    auto* e = new QGridLayout(energy);
    const char* const energyRows[][2] = {
        {"TotalEPot", "Generated:"},   {"TotalEUse", "Used locally:"},  {"ChargeLosses", "Charge losses:"},
        {"UnUsedCap", "Sold to GRID:"}, {"ShortE", "Shortfall:"},           {"DieselPercent", "Diesel:"},
        {"PercentNonWind", "Non-wind share:"},
    };
    int r = 0;
    for (const auto& row : energyRows) {
        auto* caption = new QLabel(QString::fromUtf8(row[1]), energy);
        caption->setObjectName(QStringLiteral("%1Heading").arg(QString::fromUtf8(row[0])));
        e->addWidget(caption, r, 0);
        e->addWidget(plainLabel(QString::fromUtf8(row[0]), energy), r, 1);
        ++r;
    }
    // The power analysis at the height of interest and the idle spells.
    for (const char* name : {"PowerAnalysisLab", "TempPressLab", "IdleLab", "IdleStartsLab"}) {
        auto* line = new QLabel(energy);
        line->setObjectName(QString::fromUtf8(name));
        line->setWordWrap(true);
        e->addWidget(line, r++, 0, 1, 2);
    }
    grid->addWidget(energy, 0, 1);

    auto* money = new QGroupBox(QStringLiteral("Money"), this);
    auto* m = new QGridLayout(money);
    using F = power::EnergyField;
    struct Input {
        const char* name;
        const char* caption;
        F field;
    };
    const Input inputs[] = {
        {"Pusage", "Average usage (kW)", F::Usage},
        {"BatMWhr", "Storage (MWh)", F::BankSize},
        {"BatDollarsPerYr", "Storage $/yr per kWh", F::StorageCost},
        {"StoreEff", "Storage efficiency (%)", F::StoreEff},
        {"BuyDperKwHr", "Buy price ($/kWh)", F::BuyPrice},
        {"SellDperkWhr", "Sell price ($/kWh)", F::SellPrice},
    };
    r = 0;
    for (const Input& in : inputs) {
        auto* caption = new QLabel(QString::fromUtf8(in.caption), money);
        caption->setObjectName(QStringLiteral("%1Heading").arg(QString::fromUtf8(in.name)));
        m->addWidget(caption, r, 0);
        const F field = in.field;
        m->addWidget(new ClickTarget(QString::fromUtf8(in.name),
                                     [this, field] {
                                         page_.editInput(field, page_.session().prompter());
                                         showFigures();
                                     },
                                     money),
                     r, 1);
        ++r;
    }
    const char* const moneyRows[][2] = {
        {"BuyE", "Energy purchased (MWh per Yr):"},
        {"ShortfallCost", "Cost of energy purchased for lulls in wind and capacity shortfall:"},
        {"NetCashFlowlab", ""},
        {"ACElab", "Cost of energy used ($/kWhr):"},
        {"NetSaveLabel", "Net savings per Yr:"},
        {"ACETlab", ""},
    };
    for (const auto& row : moneyRows) {
        auto* caption = new QLabel(QString::fromUtf8(row[1]), money);
        caption->setObjectName(QStringLiteral("%1Heading").arg(QString::fromUtf8(row[0])));
        m->addWidget(caption, r, 0);
        m->addWidget(plainLabel(QString::fromUtf8(row[0]), money), r, 1);
        ++r;
    }
    grid->addWidget(money, 1, 1);

    // Covers the results while a changed curve has not been run yet.
    recalculate_ = new QPushButton(QStringLiteral("Click here to Recalculate this Analysis"), this);
    recalculate_->setObjectName("ClickHereToReCalculate");
    recalculate_->setStyleSheet("QPushButton { font-weight: bold; background: #fff8c0; }");
    connect(recalculate_, &QPushButton::clicked, this, [this] {
        QtPrompter::AskingWindow asking(this);
        observer_->recalculate();
    });
    grid->addWidget(recalculate_, 0, 1, 2, 1);
    recalculate_->hide();

}

void PowerPageWindow::buildAnalysisBlock(QGridLayout* grid) {
    auto* id = new QGroupBox(QStringLiteral("Analysis"), this);
    auto* a = new QGridLayout(id);
    a->addWidget(new QLabel(QStringLiteral("Analysis ID:"), id), 0, 0);
    auto* anId = plainLabel("AnID", id);
    anId->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    anId->setMinimumWidth(0);
    a->addWidget(anId, 0, 1);
    auto* time = plainLabel("AnalTime", id);
    time->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    a->addWidget(time, 0, 2);
    a->addWidget(new QLabel(QStringLiteral("Comment:"), id), 1, 0);
    comment_ = new QLineEdit(id);
    comment_->setObjectName("AnalCom");
    comment_->setToolTip(QStringLiteral(" A note kept with this analysis. "));
    connect(comment_, &QLineEdit::textEdited, this, [this](const QString& t) { page_.comment = t.toStdString(); });
    connect(comment_, &QLineEdit::editingFinished, this, [this] { saveComment(); });
    a->addWidget(comment_, 1, 1, 1, 3);
    auto* cs = new QLabel(id);
    cs->setObjectName("CSlab");
    a->addWidget(cs, 2, 0, 1, 2);
    auto* cur = new QLabel(id);
    cur->setObjectName("CurStLab");
    a->addWidget(cur, 2, 2);
    auto* add = new QPushButton(QStringLiteral("Add this Analysis to the Current Study"), id);
    add->setObjectName("AddThisAnalysisToStudy");
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, [this] {
        QtPrompter::AskingWindow asking(this);
        page_.studies().addAnalysisToCurrentStudy(page_.site().soundings().count() > 0);
        showStudyIndicator();
        emit studyChanged();
    });
    a->addWidget(add, 2, 3);
    a->setColumnStretch(2, 1);
    grid->addWidget(id, 2, 0, 1, 2);
}

void PowerPageWindow::saveComment() {
    page_.comment = comment_->text().toStdString();
    page_.analyses().saveAnalysisComment(page_.comment);
}

void PowerPageWindow::showStudyIndicator() {
    session::StudyCommands& studies = page_.studies();
    studies.updateStudyIndicator();
    field("CSlab")->setText(QString::fromStdString(studies.indicator.csLab));
    field("CurStLab")->setText(QString::fromStdString(studies.indicator.curStLab));
    button("AddThisAnalysisToStudy")->setVisible(studies.indicator.addButtonVisible);
}

QLabel* PowerPageWindow::field(const QString& name) const { return findChild<QLabel*>(name); }

bool PowerPageWindow::clickField(const QString& name) {
    auto* target = dynamic_cast<ClickTarget*>(field(name));
    if (!target) return false;
    target->click();
    return true;
}

void PowerPageWindow::chooseFromList(int index) {
    if (filling_ || index < 0) return;
    // With Shift the chosen curve is only drawn over the current one.
    const bool overlay = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    QtPrompter::AskingWindow asking(this);
    if (!overlay) comparison_.reset();
    commands_->choose(generatorsDD_->itemText(index).toStdString(), overlay);
    refresh();
}

void PowerPageWindow::rerunAnalysis() {
    session::SiteAnalysis& site = page_.site();
    if (site.currentWmo() != 0) page_.runner([&site] { return site.reanalyseSite(false); });
    refresh();
}

void PowerPageWindow::refresh() {
    // The generator's figures are shown in the unit mode in force now.
    commands_->setUnits(page_.site().units());
    commands_->refresh();
    filling_ = true;
    fillGeneratorList(generatorsDD_, session::generatorListEntries(page_.session().mainDb().db(), commands_->list()));
    if (const auto& g = commands_->current()) generatorsDD_->setCurrentText(QString::fromStdString(g->name));
    filling_ = false;
    showGenerator();
    showFigures();
    recalculate_->setVisible(commands_->resultsStale());
    if (recalculate_->isVisible()) recalculate_->raise();
}

void PowerPageWindow::showGenerator() {
    const auto& g = commands_->current();
    const session::GeneratorCommands& c = *commands_;
    auto set = [this](const QString& name, const QString& text) {
        if (QLabel* l = field(name)) l->setText(text);
    };
    // Captions follow the unit setting, which may change while the page is open.
    const sounding::Units& units = page_.site().units();
    auto unit = [](std::string_view u) { return QStringLiteral(" (%1)").arg(QString::fromUtf8(std::string(u))); };
    set("SpeedHeading", "Speed" + unit(units.speedUnit()));
    set("HubHeightHeading", "Hub height" + unit(units.lengthUnit()));
    set("TemperatureHeading", "Temperature" + unit(units.temperatureUnit()));
    set("CutOutHeading", "Cut-out" + unit(units.speedUnit()));
    set("LlookheightHeading", "Analysis height" + unit(units.lengthUnit()));
    set("Llookheight", number(core::roundHalfEven(page_.site().units().lengthFromFeet(page_.heightFeet()), 1), 1));
    if (!g) return;
    set("GenName", QString::fromStdString(g->name));
    set("Speed0", number(c.shownSpeed(0), 1));
    for (int i = 1; i <= power::kCurvePoints; ++i) {
        set(QStringLiteral("Speed%1").arg(i), number(c.shownSpeed(i), 1));
        set(QStringLiteral("KW%1").arg(i), QString::number(g->points[static_cast<std::size_t>(i - 1)].kw));
    }
    set("HubHeight", number(c.shownHubHeight(), 0));
    set("Temperature", number(c.shownTemperature(), 1));
    set("Pressure", number(g->pressure, 0));
    set("CostPerYear", QString::fromStdString(c.shownCostPerYear()));
    set("CutOut", number(c.shownCutOut(), 1));   // the same figure as the curve's cut-out mark
    set("MaxToGrid", QString::number(g->maxToGrid));
}

void PowerPageWindow::showFigures() {
    figuresDirty_ = false;
    auto set = [this](const char* name, const std::string& text) {
        if (QLabel* l = field(QString::fromUtf8(name))) l->setText(QString::fromStdString(text));
    };
    const session::EnergyListener& listener = page_.energy();
    const power::PowerPageEnergy& energy = listener.energy();
    const power::PowerPageInputs& in = energy.inputs;
    set("Pusage", power::usageText(in.aveUsed));
    set("BatMWhr", power::inputText(in.bankSize));
    set("BatDollarsPerYr", power::inputText(in.batDollarsPerYr));
    set("StoreEff", power::inputText(in.storeEff));
    set("BuyDperKwHr", power::inputText(in.buyPrice));
    set("SellDperkWhr", power::inputText(in.sellPrice));
    const bool storage = energy.storageInputsVisible();
    for (const char* name : {"BatDollarsPerYr", "StoreEff"}) {
        field(QString::fromUtf8(name))->setVisible(storage);
        field(QStringLiteral("%1Heading").arg(QString::fromUtf8(name)))->setVisible(storage);
    }

    if (page_.generator() && page_.site().soundings().count() > 0) {
        const power::PowerAnalysis a = page_.power().analysisAt(page_.heightFeet(), page_.site().units());
        set("PowerAnalysisLab", a.summary);
        set("TempPressLab", a.effectLine);
    } else {
        set("PowerAnalysisLab", "");
        set("TempPressLab", "");
    }
    if (listener.computed()) {
        set("IdleLab", power::idleDaysLine(energy.idle()));
        set("IdleStartsLab", power::idleStartsLine(energy.idle()));
        const power::EnergyLines e = energy.energyLines();
        set("TotalEPot", e.potential);
        set("TotalEUse", e.used);
        set("ChargeLosses", e.chargeLosses);
        set("UnUsedCapHeading", e.gridHeading);
        set("UnUsedCap", e.grid);
        set("ShortE", e.shortfall);
        set("DieselPercent", e.dieselPercent);
        set("PercentNonWind", e.percentNonWind);
        const power::MoneyLines m = energy.moneyLines();
        set("BuyE", m.bought);
        set("ShortfallCost", m.shortfallCost);
        set("NetCashFlowlabHeading", m.netCashHeading);
        set("NetCashFlowlab", m.netCash + " per Yr");
        set("ACElab", m.usedEnergyCost);
        set("NetSaveLabel", m.netSave);
        const power::NetCostLine net = energy.netCostLine();
        set("ACETlabHeading", net.label);
        set("ACETlab", net.value);
        for (const char* name : {"TotalEUse", "ACElab"}) {
            field(QString::fromUtf8(name))->setVisible(net.showLocalLines);
            field(QStringLiteral("%1Heading").arg(QString::fromUtf8(name)))->setVisible(net.showLocalLines);
        }
    }

    // The ID of the record the last run saved, and when it was saved.
    const long long key = page_.lastSavedKey();
    field("AnID")->setText(QStringLiteral("%1").arg(key, 6, 10, QLatin1Char('0')));
    QString when;
    if (key != 0) {
        SQLite::Statement q(page_.session().mainDb().db(), "SELECT dodate FROM datapoints WHERE key = ?");
        q.bind(1, static_cast<std::int64_t>(key));
        if (q.executeStep() && !q.getColumn(0).isNull()) when = analysisTimeText(QString::fromStdString(q.getColumn(0).getString()));
    }
    field("AnalTime")->setText(when);

    // The comment of the analysis shown; the help text's own analysis keeps its comment.
    if (key != commentKey_ || !comment_->hasFocus()) {
        commentKey_ = key;
        comment_->setText(QString::fromStdString(page_.comment));
    }
    comment_->setReadOnly(page_.comment == "Help File Analysis");
    showStudyIndicator();
    keepTextWhole();
    emit resultsShown();
}

QString PowerPageWindow::analysisTimeText(const QString& stored) {
    QDateTime t = QDateTime::fromString(stored.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) t = QDateTime::fromString(stored.left(19), Qt::ISODate);
    if (!t.isValid()) return {};
    const QLocale c = QLocale::c();
    const int hour12 = t.time().hour() % 12 == 0 ? 12 : t.time().hour() % 12;
    return c.toString(t.date(), QStringLiteral("dddd MMMM d, yyyy")) +
           QStringLiteral("  %1:%2:%3 %4")
               .arg(hour12, 2, 10, QLatin1Char('0'))
               .arg(t.time().minute(), 2, 10, QLatin1Char('0'))
               .arg(t.time().second(), 2, 10, QLatin1Char('0'))
               .arg(t.time().hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

}  // namespace skyloom::gui
