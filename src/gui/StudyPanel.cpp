#include "gui/StudyPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/StudyStore.h"
#include "session/StudyCommands.h"

namespace skyloom::gui {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
constexpr int kWmoColumn = core::kAnalsGridColumns;  // `wmo` follows the grid's columns
}  // namespace

StudyGridModel::StudyGridModel(session::StudyCommands& studies, QObject* parent)
    : QAbstractTableModel(parent), studies_(studies) {}

int StudyGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(studies_.gridRows.size());
}

int StudyGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : core::kAnalsGridColumns;
}

QVariant StudyGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto& row = studies_.gridRows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == analysis::kCommentColumn))
        return q(analysis::gridText(row, index.column()));
    if (role == Qt::TextAlignmentRole) {
        const auto& col = analysis::kGridColumns[static_cast<std::size_t>(index.column())];
        return QVariant::fromValue((col.format.empty() ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    return {};
}

QVariant StudyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= core::kAnalsGridColumns) return {};
    QString caption = q(analysis::kGridColumns[static_cast<std::size_t>(section)].caption);
    std::string mark = studies_.gridSort.mark(section);
    return mark.empty() ? caption : caption + "  " + q(mark);
}

Qt::ItemFlags StudyGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == analysis::kCommentColumn) f |= Qt::ItemIsEditable;
    return f;
}

bool StudyGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != analysis::kCommentColumn) return false;
    if (index.row() >= rowCount()) return false;
    const long long key = keyOf(index.row());
    if (!studies_.setGridComment(key, value.toString().toStdString())) return false;
    reload();
    return true;
}

void StudyGridModel::reload() {
    beginResetModel();
    endResetModel();
}

long long StudyGridModel::keyOf(int row) const {
    return static_cast<long long>(analysis::valueNumber(studies_.gridRows.at(static_cast<std::size_t>(row))[0]));
}

long long StudyGridModel::wmoOf(int row) const {
    return static_cast<long long>(
        analysis::valueNumber(studies_.gridRows.at(static_cast<std::size_t>(row))[kWmoColumn]));
}

void StudyGridView::keyPressEvent(QKeyEvent* e) {
    const QString text = e->text();
    if (state() != EditingState && currentIndex().isValid() && text.size() == 1 && text[0].isPrint()) {
        const bool intoCell = onTyped && onTyped(currentIndex().row(), currentIndex().column(), text[0].toLatin1());
        if (!intoCell) return;
    }
    QTableView::keyPressEvent(e);
}

StudyPanel::StudyPanel(session::StudyCommands& studies, QWidget* parent) : QWidget(parent), studies_(studies) {
    setObjectName("StudyFrame");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    auto* top = new QHBoxLayout;
    auto* drop = new QPushButton(QStringLiteral("Studies \u25BE"), this);
    drop->setObjectName("DropS");
    drop->setToolTip(QStringLiteral(" Click to Open/Close the list of Studies which are currently available. "));
    studyLab_ = new QPushButton(this);
    studyLab_->setObjectName("StudyLab");
    studyLab_->setFlat(true);
    studyLab_->setToolTip(QStringLiteral("Click to rename this study."));
    QFont bold = studyLab_->font();
    bold.setBold(true);
    studyLab_->setFont(bold);
    studyNumLab_ = new QLabel(this);
    studyNumLab_->setObjectName("StudyNumLab");
    ninLab_ = new QLabel(this);
    ninLab_->setObjectName("NinLab");
    top->addWidget(drop);
    top->addWidget(studyLab_);
    top->addWidget(studyNumLab_);
    top->addStretch(1);
    top->addWidget(ninLab_);
    layout->addLayout(top);

    list_ = new QListWidget(this);
    list_->setObjectName("StudyListBox");
    list_->setMaximumHeight(120);
    list_->hide();
    layout->addWidget(list_);

    // `ButtonsF`: the study editing buttons, hidden while the page is captured.
    auto* buttonFrame = new QWidget(this);
    buttonFrame->setObjectName("ButtonsF");
    QSizePolicy keepPlace = buttonFrame->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    buttonFrame->setSizePolicy(keepPlace);
    auto* buttons = new QHBoxLayout(buttonFrame);
    buttons->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, const char*> captions[] = {
        {"BeginNewStudy", "Begin New Study"}, {"SaveStudyAs", "Save Study As"},     {"DeleteStudy", "Delete Study"},
        {"ShowAllStudies", "Show All Analysis"}, {"RemoveDeleted", "Remove Deleted"},
        {"ExportStudyToExcel", "Export to Excel File"}};
    std::vector<QPushButton*> made;
    for (const auto& [name, caption] : captions) {
        auto* b = new QPushButton(QString::fromLatin1(caption), buttonFrame);
        b->setObjectName(name);
        buttons->addWidget(b);
        made.push_back(b);
    }
    layout->addWidget(buttonFrame);

    model_ = new StudyGridModel(studies_, this);
    grid_ = new StudyGridView(this);
    grid_->setObjectName("AG");
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->horizontalHeader()->setSectionsClickable(true);
    layout->addWidget(grid_, 1);

    connect(drop, &QPushButton::clicked, this, [this] {
        if (!list_->isVisible()) {
            studies_.fillStudyList();
            list_->clear();
            for (const auto& line : studies_.studyList) list_->addItem(q(line));
        }
        list_->setVisible(!list_->isVisible());
    });
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        list_->hide();
        studies_.pickStudy(item->text().toStdString());
        refresh();
    });
    connect(studyLab_, &QPushButton::clicked, this, [this] {
        studies_.renameStudy();
        refresh();
    });
    connect(made[0], &QPushButton::clicked, this, [this] { studies_.beginNewStudy(); refresh(); });
    connect(made[1], &QPushButton::clicked, this, [this] { studies_.saveStudyAs(); refresh(); });
    connect(made[2], &QPushButton::clicked, this, [this] { studies_.deleteStudy(); refresh(); });
    connect(made[3], &QPushButton::clicked, this, [this] { studies_.showAllStudies(); refresh(); });
    connect(made[4], &QPushButton::clicked, this, [this] { studies_.refreshStudyGrid(); refresh(); });
    connect(made[5], &QPushButton::clicked, this, [this] { studies_.exportCsv(); });
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit recallRequested(model_->keyOf(index.row()));
    });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &StudyPanel::headingClicked);
    grid_->onTyped = [this](int row, int column, char key) {
        const auto typing = studies_.typeInGrid(model_->keyOf(row), column, key);
        if (typing == session::StudyCommands::Typing::Accepted && column == analysis::kCommentColumn) return true;
        refresh();
        return false;
    };
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
    studies_.showStudy();
    refresh();
    // Widths in pixels from the caption with room for its sort mark.
    for (int c = 0; c < core::kAnalsGridColumns; ++c) {
        QString caption = q(analysis::kGridColumns[static_cast<std::size_t>(c)].caption) + "  SRT^";
        grid_->setColumnWidth(c, std::clamp(grid_->fontMetrics().horizontalAdvance(caption) + 18, 60, 240));
    }
}

void StudyPanel::refresh() {
    studyLab_->setText(q(studies_.studyLab));
    studyNumLab_->setText(q(studies_.studyNumLab));
    ninLab_->setText(q(studies_.ninLab));
    model_->reload();
    if (studies_.gridRow >= 0 && studies_.gridRow < model_->rowCount())
        grid_->selectRow(studies_.gridRow);
}

void StudyPanel::headingClicked(int section) {
    if (!studies_.sortByColumn(section)) return;
    refresh();
    std::vector<long long> wmos;
    for (int r = 0; r < model_->rowCount(); ++r) wmos.push_back(model_->wmoOf(r));
    emit sitesListed(wmos);
}

}  // namespace skyloom::gui
