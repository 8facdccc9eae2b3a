#include "gui/YearsDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "display/SiteLine.h"
#include "ordering/Inventory.h"
#include "session/OrderCommands.h"

namespace skyloom::gui {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
constexpr int kSelectedColumn = 3;
}  // namespace

YearsDialog::YearsDialog(session::YearsWindow& years, QWidget* parent) : QDialog(parent), years_(years) {
    setObjectName("Years");
    setWindowTitle(QStringLiteral("Years of Data"));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(q(session::YearsWindow::caption()), this);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto* body = new QHBoxLayout;
    lines_ = new QListWidget(this);
    lines_->setObjectName("YearsList");
    body->addWidget(lines_, 3);
    auto* right = new QVBoxLayout;
    site_ = new QLabel(this);
    site_->setObjectName("Site");
    right->addWidget(site_);
    grid_ = new QTableWidget(this);
    grid_->setObjectName("InventoryGrid");
    grid_->setColumnCount(static_cast<int>(ordering::kInventoryCaptions.size()));
    QStringList heads;
    for (auto c : ordering::kInventoryCaptions) heads << q(c);
    grid_->setHorizontalHeaderLabels(heads);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    right->addWidget(grid_, 1);
    check0708_ = new QCheckBox(this);
    check0708_->setObjectName("Check0708");
    auto* checkText = new QLabel(q(session::YearsWindow::check0708Caption()), this);
    checkText->setWordWrap(true);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(check0708_, 0, Qt::AlignTop);
    checkRow->addWidget(checkText, 1);
    right->addLayout(checkRow);
    body->addLayout(right, 2);
    layout->addLayout(body, 1);
    value_ = new QLabel(this);
    value_->setObjectName("OrderValue");
    layout->addWidget(value_);
    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton(QStringLiteral("Cancel E-mail"), this);
    auto* go = new QPushButton(QStringLiteral("Continue"), this);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(go);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(go, &QPushButton::clicked, this, &QDialog::accept);
    connect(lines_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && row >= 0) showLine(row);
    });
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() != kSelectedColumn) return;
        years_.editSelected(static_cast<std::size_t>(item->row()), item->checkState() == Qt::Checked);
        showLines();
    });
    connect(check0708_, &QCheckBox::clicked, this, [this](bool on) {
        bool now = years_.setCheck0708(on);
        check0708_->setChecked(now);
        showLines();
    });

    years_.activate();
    showLines();
    resize(900, 520);
}

void YearsDialog::showLines() {
    filling_ = true;
    const int keep = years_.currentLine() ? static_cast<int>(*years_.currentLine()) : 0;
    lines_->clear();
    for (const auto& line : years_.lines()) {
        auto site = display::SiteLine::parse(line);
        lines_->addItem(q(site ? site->visible() : line).trimmed());
    }
    filling_ = false;
    if (lines_->count() > 0) {
        lines_->setCurrentRow(std::min(keep, lines_->count() - 1));
        showLine(lines_->currentRow());
    }
    value_->setText(q(years_.valueText()));
}

void YearsDialog::showLine(int index) {
    if (!years_.currentLine() || static_cast<int>(*years_.currentLine()) != index)
        years_.selectLine(static_cast<std::size_t>(index));
    filling_ = true;
    site_->setText(q(years_.siteLabel()));
    const auto rows = years_.rows();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        const QString cells[] = {QString::number(row.key), QString::number(row.wmo), q(row.year), QString(),
                                 QString::number(row.total), QString::number(row.tyears)};
        for (int c = 0; c < grid_->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c == kSelectedColumn) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(row.selected ? Qt::Checked : Qt::Unchecked);
            }
            grid_->setItem(r, c, item);
        }
    }
    check0708_->setChecked(years_.check0708());
    filling_ = false;
}

}  // namespace skyloom::gui
