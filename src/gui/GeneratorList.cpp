#include "gui/GeneratorList.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

namespace skyloom::gui {

namespace {

const QStringList kColumns = {QStringLiteral("Name"), QStringLiteral("Class"), QStringLiteral("Rotor"),
                              QStringLiteral("Curve")};

}  // namespace

void makeGeneratorListTable(QComboBox* list) {
    auto* model = new QStandardItemModel(0, static_cast<int>(kColumns.size()), list);
    model->setHorizontalHeaderLabels(kColumns);
    list->setModel(model);
    list->setModelColumn(0);
    auto* view = new QTableView(list);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setShowGrid(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    list->setView(view);
}

void fillGeneratorList(QComboBox* list, const std::vector<session::GeneratorListEntry>& entries) {
    auto* model = qobject_cast<QStandardItemModel*>(list->model());
    if (!model) {
        list->clear();
        for (const auto& e : entries) list->addItem(QString::fromStdString(e.name));
        return;
    }
    model->removeRows(0, model->rowCount());
    for (const auto& e : entries) {
        QList<QStandardItem*> row;
        for (const std::string& text : {e.name, e.turbineClass, e.rotor, e.curveType}) {
            auto* item = new QStandardItem(QString::fromStdString(text));
            if (!e.facts.empty()) item->setToolTip(QString::fromStdString(e.facts));
            item->setEditable(false);
            row.push_back(item);
        }
        model->appendRow(row);
    }
    if (auto* view = qobject_cast<QTableView*>(list->view())) {
        view->resizeColumnsToContents();
        int width = 0;
        for (int c = 0; c < model->columnCount(); ++c) width += view->columnWidth(c);
        view->setMinimumWidth(width + 24);
    }
}

}  // namespace skyloom::gui
